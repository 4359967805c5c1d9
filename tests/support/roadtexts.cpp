// Writes the texts the end-to-end tests send along the roads of an encoded text, as another
// program hands them to a field: each is what a field copies of its text (the plain clipboard
// form, UTF-8), made by the program's own code.
//   every code   the 256 codes in order, a line break and "fin"
//   prose        a letter of Spanish prose with paragraphs, tabs and runs of blanks
//   longest      that prose run on to the longest text the cipher takes, on one line
//   short        a word that holds no blank, tab or line break
// Usage: road_texts FOLDER PROSE
#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "tests/support/testtext.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

bool write(const QDir &folder, const QString &name, const QString &text)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::WriteOnly)
        && file.write(FieldText::ToClipboard(text, FieldText::CopyForm::Plain).toUtf8()) >= 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: road_texts FOLDER PROSE\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QFile proseFile(QString::fromLocal8Bit(argv[2]));
    if (!proseFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "road_texts: cannot read %s\n", argv[2]);
        return 1;
    }
    const QString prose = FieldText::FromPasted(QString::fromUtf8(proseFile.readAll()));
    QString runOn = prose;
    runOn.replace(QLatin1String("\r\n"), QLatin1String("\t"));
    runOn = runOn.repeated(Module1::MaxTextLength / runOn.size() + 1).left(Module1::MaxTextLength);

    const bool written
        = write(folder, QStringLiteral("every code"), TestText::AllCodes() + QLatin1String("\r\nfin"))
        && write(folder, QStringLiteral("prose"), prose) && write(folder, QStringLiteral("longest"), runOn)
        && write(folder, QStringLiteral("short"), QStringLiteral("Hola"));
    if (!written) {
        std::fprintf(stderr, "road_texts: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
