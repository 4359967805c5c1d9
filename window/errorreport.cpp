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
        // The user counts the characters they see; the program counts a line break as two.
        QString message = QStringLiteral("Error %1: %2.\n").arg(e.number()).arg(QString::fromUtf8(e.what()));
        if (e.textLength() >= 0) {
            message += QStringLiteral("El texto tiene %1 caracteres, contando cada salto de línea como "
                                      "dos.\n")
                           .arg(e.textLength());
        }
        return message
            + QStringLiteral("Con clave, un texto puede tener como máximo %1 caracteres.")
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
    QMessageBox box(QMessageBox::Critical, QStringLiteral(ZENTOLAR_NAME), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    box.exec();
}
