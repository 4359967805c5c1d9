#pragma once

// What the program and the page say to their users, word for word, in one list: the window takes
// each word from here as a constant, and the page (page/) has every one written into it when it
// is built, so that no word can reach one and miss the other. UTF-8.

// WORD(name, text), for each word.
#define ZENTOLAR_WORDS(WORD)                                                                                 \
    WORD(Label1, "Codigo sin codificar")                                                                     \
    WORD(Label2, "Codigo codificado")                                                                        \
    WORD(Command1, "Encriptar =>")                                                                           \
    WORD(Command2, "<= Desenciptar ")                                                                        \
    WORD(Command3, "Limpiar")                                                                                \
    WORD(Command4, "Cambiar Clave")                                                                          \
    WORD(KeyTitle, "Clave")                                                                                  \
    WORD(KeyMessage, "Ingrese la clave de codificación: ")                                                   \
    WORD(Accept, "Aceptar")                                                                                  \
    WORD(Cancel, "Cancelar")                                                                                 \
    /* Shown in both fields while there is no key. */                                                        \
    WORD(NoKeyNotice, "Sin clave: los textos se copian sin codificar.")                                      \
    /* What the buttons do, for screen readers. The program's fields stand side by side; */                  \
    /* on a phone the page's stand one above the other, so the page names the field instead. */              \
    WORD(EncryptDescription,                                                                                 \
         "Codifica con la clave el texto sin codificar y lo pone en el campo de la derecha.")                \
    WORD(DecryptDescription,                                                                                 \
         "Descodifica con la clave el texto codificado y lo pone en el campo de la izquierda.")              \
    WORD(PageEncryptDescription,                                                                             \
         "Codifica con la clave el texto sin codificar y lo pone en el campo del texto codificado.")         \
    WORD(PageDecryptDescription,                                                                             \
         "Descodifica con la clave el texto codificado y lo pone en el campo del texto sin codificar.")      \
    WORD(ClearDescription, "Vacía los dos campos.")                                                          \
    WORD(ChangeKeyDescription, "Pide una clave nueva.")                                                      \
    /* The page's own controls under each field (Qt's editors have their own menu), each */                  \
    /* named with the field's label (%1) for screen readers, and what the page says once it */               \
    /* has copied. */                                                                                        \
    WORD(Undo, "Deshacer")                                                                                   \
    WORD(Redo, "Rehacer")                                                                                    \
    WORD(Copy, "Copiar")                                                                                     \
    WORD(ControlLabel, "%1: %2")                                                                             \
    WORD(Copied, "Copiado: %1.")                                                                             \
    /* Under the page: its name (%1) and version (%2), so that a user can tell which release */              \
    /* is open. */                                                                                           \
    WORD(VersionLine, "%1, versión %2")                                                                      \
    /* A failed action: its error number and description, then for a text too long its */                    \
    /* length and the limit (%1), each on a line of its own. The cipher's one error is */                    \
    /* number 6 (OverflowNumber, below). */                                                                  \
    WORD(ErrorLine, "Error %1: %2.")                                                                         \
    WORD(TextLengthLine, "El texto tiene %1 caracteres, contando cada salto de línea como dos.")             \
    WORD(LimitLine, "Con clave, un texto puede tener como máximo %1 caracteres.")                            \
    WORD(OverflowDescription, "desbordamiento")                                                              \
    WORD(OutOfMemory, "Error 7: memoria insuficiente.")                                                      \
    /* A failure nobody foresaw, with what it says (%1), if anything. */                                     \
    WORD(UnexpectedLine, "Error inesperado: %1.")                                                            \
    WORD(Unexpected, "Error inesperado.")

namespace Wording {

#define ZENTOLAR_WORD_CONSTANT(name, text) inline constexpr char name[] = text;
ZENTOLAR_WORDS(ZENTOLAR_WORD_CONSTANT)
#undef ZENTOLAR_WORD_CONSTANT

// The cipher's one error: a sum or a character count outside 16 bits.
inline constexpr int OverflowNumber = 6;

} // namespace Wording
