#pragma once

#include "core/fieldtext.h"

#include <QString>

// A field's text as Qt's strings: the forms are core/fieldtext.h's, which says what each one is,
// and composition (Unicode NFC) is Qt's.
namespace FieldText {

using CopyForm = Core::FieldText::CopyForm;

QString ToDisplay(const QString &text);
QString ToClipboard(const QString &text, CopyForm form);
QString FromDisplay(QStringView shown);
// Composes the pasted string first, so "e" and a combining acute accent give "é".
QString FromPasted(QStringView pasted);

// What a typed or committed string becomes in the editor: ToDisplay(FromDisplay(composed)).
QString Normalize(QStringView typed);

// What pasted or dropped text becomes in the editor: ToDisplay(FromPasted(pasted)).
QString NormalizePasted(QStringView pasted);

} // namespace FieldText
