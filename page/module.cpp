// The page's WebAssembly: the core's rules over UTF-16 strings in the module's memory. The page
// asks for a workspace big enough for a call's inputs and output, writes the inputs there and
// reads the output back; nothing is kept between calls.
#include "core/cipher.h"
#include "core/fieldtext.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Where the linker ends the module's own data; the workspace starts there.
extern "C" unsigned char __heap_base;

namespace {

constexpr size_t PageBytes = 65536;

template<Core::Direction Way>
int transform(const char16_t *text, size_t length, const char16_t *key, size_t keyLength, char16_t *out)
{
    return int(Core::Transform<Way>(text, length, key, keyLength, out));
}

} // namespace

// The compiler may call these for copies of its own.
extern "C" void *memcpy(void *to, const void *from, size_t n)
{
    auto *t = static_cast<unsigned char *>(to);
    const auto *f = static_cast<const unsigned char *>(from);
    while (n--)
        *t++ = *f++;
    return to;
}

extern "C" void *memset(void *to, int value, size_t n)
{
    auto *t = static_cast<unsigned char *>(to);
    while (n--)
        *t++ = static_cast<unsigned char>(value);
    return to;
}

// Room for units UTF-16 units, or null when memory cannot grow that far.
EXPORT(workspace) char16_t *workspace(size_t units)
{
    const size_t start = (reinterpret_cast<size_t>(&__heap_base) + 15) & ~size_t(15);
    const size_t end = start + 2 * units;
    const size_t have = __builtin_wasm_memory_size(0) * PageBytes;
    if (end > have && __builtin_wasm_memory_grow(0, (end - have + PageBytes - 1) / PageBytes) == size_t(-1))
        return nullptr;
    return reinterpret_cast<char16_t *>(start);
}

EXPORT(max_text_length) int maxTextLength()
{
    return Core::MaxTextLength;
}

// 0 when done, 1 for a text too long, 2 for codes whose sum overflowed (Core::Outcome).
EXPORT(encrypt)
int encrypt(const char16_t *text, size_t length, const char16_t *key, size_t keyLength, char16_t *out)
{
    return transform<Core::Direction::Encrypt>(text, length, key, keyLength, out);
}

EXPORT(decrypt)
int decrypt(const char16_t *text, size_t length, const char16_t *key, size_t keyLength, char16_t *out)
{
    return transform<Core::Direction::Decrypt>(text, length, key, keyLength, out);
}

EXPORT(key_as_counted) void keyAsCounted(const char16_t *key, size_t length, char16_t *out)
{
    Core::KeyAsCounted(key, length, out);
}

EXPORT(to_display) size_t toDisplay(const char16_t *text, size_t length, char16_t *out)
{
    return Core::FieldText::ToDisplay(text, length, out);
}

// encoded: 1 for the encoded field's form, 0 for the plain one.
EXPORT(to_clipboard) size_t toClipboard(const char16_t *text, size_t length, int encoded, char16_t *out)
{
    const auto form = encoded ? Core::FieldText::CopyForm::Encoded : Core::FieldText::CopyForm::Plain;
    return Core::FieldText::ToClipboard(text, length, form, out);
}

EXPORT(from_display) size_t fromDisplay(const char16_t *shown, size_t length, char16_t *out)
{
    return Core::FieldText::FromDisplay(shown, length, out);
}

// composed: the pasted string composed (NFC) by the browser.
EXPORT(from_pasted) size_t fromPasted(const char16_t *composed, size_t length, char16_t *out)
{
    return Core::FieldText::FromPasted(composed, length, out);
}
