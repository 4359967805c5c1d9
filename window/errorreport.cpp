#include "errorreport.h"

#include "module1.h"

#include <QMessageBox>
#include <QPushButton>

#include <new>

QString ErrorMessage(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Module1::OverflowError &e) {
        return QStringLiteral("Error %1: %2.\nUn texto puede tener como máximo %3 caracteres.")
            .arg(e.number())
            .arg(QString::fromUtf8(e.what()))
            .arg(Module1::MaxTextLength);
    } catch (const Module1::Error &e) {
        return QStringLiteral("Error %1: %2.").arg(e.number()).arg(QString::fromUtf8(e.what()));
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Error 7: memoria insuficiente.");
    } catch (const std::exception &e) {
        return QStringLiteral("Error inesperado: %1.").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return QStringLiteral("Error inesperado.");
    }
}

void ShowErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Zentolar"), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    box.exec();
}
