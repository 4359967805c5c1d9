#pragma once

#include <QString>

#include <exception>

class QWidget;

// The Spanish message for a failure that ended an action: its error number and description,
// and a plain hint where one helps.
QString ErrorMessage(std::exception_ptr failure);

// Shows message in a modal message box titled with the program's name.
void ShowErrorBox(QWidget *parent, const QString &message);
