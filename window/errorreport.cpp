#include "window/errorreport.h"

#include "cipher/module1.h"
#include "config-zentolar.h"
#include "core/wording.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include <new>

namespace {

QString errorLine(const Module1::Error &e)
{
    return QString::fromUtf8(Wording::ErrorLine).arg(e.number()).arg(QString::fromUtf8(e.what()));
}

} // namespace

QString ErrorMessage(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Module1::OverflowError &e) {
        // The user counts the characters they see; the program counts a line break as two.
        QStringList lines {errorLine(e)};
        if (e.textLength() >= 0)
            lines += QString::fromUtf8(Wording::TextLengthLine).arg(e.textLength());
        lines += QString::fromUtf8(Wording::LimitLine).arg(Module1::MaxTextLength);
        return lines.join(QLatin1Char('\n'));
    } catch (const Module1::Error &e) {
        return errorLine(e);
    } catch (const std::bad_alloc &) {
        return QString::fromUtf8(Wording::OutOfMemory);
    } catch (const std::exception &e) {
        return QString::fromUtf8(Wording::UnexpectedLine).arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return QString::fromUtf8(Wording::Unexpected);
    }
}

void ShowErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral(ZENTOLAR_NAME), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.button(QMessageBox::Ok)->setText(QString::fromUtf8(Wording::Accept));
    box.exec();
}
