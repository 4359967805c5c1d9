// Builds the page: one file that holds its markup (TEMPLATE), its style (STYLE), its script (the
// SCRIPT files joined in their order), the codes' font and the core's WebAssembly, with the
// program's words, and a Content-Security-Policy that allows exactly the style and the script it
// holds. With --site, it builds the page of the site instead: the same page, with SITE_HEAD's links
// to the site's manifest and icons in its head, and a policy that lets in those and the site's
// service worker from the page's own origin, and nothing else.
// Usage: assemble [--site SITE_HEAD] OUTPUT TEMPLATE STYLE FONT WASM SCRIPT...
#include "config-zentolar.h"
#include "core/wording.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>

namespace {

QByteArray readAll(const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "assemble: cannot read %s\n", path);
        std::exit(1);
    }
    return file.readAll();
}

// Every word, as one object for the script, which puts each text where the page shows it.
QByteArray wording()
{
    QJsonObject words {
        {"Name", ZENTOLAR_NAME},
        {"OverflowNumber", Wording::OverflowNumber},
    };
    const auto add = [&words](const char *name, const char *text) {
        words.insert(QLatin1String(name), QString::fromUtf8(text));
    };
#define ZENTOLAR_WORD_ENTRY(name, text) add(#name, Wording::name);
    ZENTOLAR_WORDS(ZENTOLAR_WORD_ENTRY)
#undef ZENTOLAR_WORD_ENTRY
    // Within a script element, even a data block, "</" must not appear.
    return QJsonDocument(words).toJson(QJsonDocument::Compact).replace("</", "<\\/");
}

// The CSP source for what an element of the page holds, as the browser hashes it.
QByteArray hashOfElement(const QByteArray &page, const char *element)
{
    const QRegularExpression pattern(QStringLiteral("<%1>(.*?)</%1>").arg(QLatin1String(element)),
                                     QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(page));
    if (!match.hasMatch()) {
        std::fprintf(stderr, "assemble: the page has no <%s>\n", element);
        std::exit(1);
    }
    const QByteArray held = match.captured(1).toUtf8();
    return "'sha256-" + QCryptographicHash::hash(held, QCryptographicHash::Sha256).toBase64() + "'";
}

// Text for the page's markup.
QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

int main(int argc, char **argv)
{
    QByteArray siteHead;
    int next = 1;
    if (argc > 2 && qstrcmp(argv[1], "--site") == 0) {
        siteHead = readAll(argv[2]);
        next = 3;
    }
    if (argc - next < 6) {
        std::fprintf(stderr,
                     "usage: assemble [--site SITE_HEAD] OUTPUT TEMPLATE STYLE FONT WASM SCRIPT...\n");
        return 2;
    }
    const char *output = argv[next];
    QByteArray page = readAll(argv[next + 1]);
    QByteArray script;
    for (int i = next + 5; i < argc; ++i)
        script += readAll(argv[i]);
    page.replace("@STYLE@", readAll(argv[next + 2]));
    page.replace("@SCRIPT@", script);
    const bool site = !siteHead.isNull();
    page.replace("@SITE_HEAD@", siteHead);
    page.replace("@SITE_POLICY@",
                 site ? "; manifest-src 'self'; worker-src 'self'; img-src 'self'" : QByteArray());
    page.replace("@BACKGROUND_LIGHT@", ZENTOLAR_PAGE_BACKGROUND_LIGHT);
    page.replace("@BACKGROUND_DARK@", ZENTOLAR_PAGE_BACKGROUND_DARK);
    const QString versionLine = QString::fromUtf8(Wording::VersionLine)
                                    .arg(QLatin1String(ZENTOLAR_NAME), QLatin1String(ZENTOLAR_VERSION));
    page.replace("@VERSION_LINE@", escaped(versionLine));
    page.replace("@WORDING@", wording());
    page.replace("@FONT@", readAll(argv[next + 3]).toBase64());
    page.replace("@WASM@", readAll(argv[next + 4]).toBase64());
    page.replace("@SCRIPT_HASH@", hashOfElement(page, "script"));
    page.replace("@STYLE_HASH@", hashOfElement(page, "style"));

    QFile out(QString::fromLocal8Bit(output));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(page) != page.size()) {
        std::fprintf(stderr, "assemble: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
