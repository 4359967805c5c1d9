#include "fieldtext/fieldtext.h"

namespace FieldText {

namespace {

const char16_t *units(QStringView text)
{
    return reinterpret_cast<const char16_t *>(text.data());
}

// Runs one of the core's forms into a string with the room it asks for.
template<typename Form>
QString formed(QStringView text, qsizetype room, Form form)
{
    QString out(room, Qt::Uninitialized);
    out.truncate(qsizetype(form(units(text), size_t(text.size()), reinterpret_cast<char16_t *>(out.data()))));
    return out;
}

QString composed(QStringView text)
{
    return text.toString().normalized(QString::NormalizationForm_C);
}

} // namespace

QString ToDisplay(const QString &text)
{
    return formed(text, text.size(), Core::FieldText::ToDisplay);
}

QString ToClipboard(const QString &text, CopyForm form)
{
    return formed(text, text.size() + 2, [form](const char16_t *in, size_t n, char16_t *out) {
        return Core::FieldText::ToClipboard(in, n, form, out);
    });
}

QString FromDisplay(QStringView shown)
{
    return formed(shown, 2 * shown.size(), Core::FieldText::FromDisplay);
}

QString FromPasted(QStringView pasted)
{
    const QString text = composed(pasted);
    return formed(text, 2 * text.size(), Core::FieldText::FromPasted);
}

QString Normalize(QStringView typed)
{
    return ToDisplay(FromDisplay(composed(typed)));
}

QString NormalizePasted(QStringView pasted)
{
    return ToDisplay(FromPasted(pasted));
}

} // namespace FieldText
