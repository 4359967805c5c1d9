#pragma once

// What the program and the page say to their users, word for word, in one place: the window takes
// it from here, and the page (page/) has it written into it when it is built. UTF-8.
namespace Wording {

inline constexpr char Label1[] = "Codigo sin codificar";
inline constexpr char Label2[] = "Codigo codificado";
inline constexpr char Command1[] = "Encriptar =>";
inline constexpr char Command2[] = "<= Desenciptar ";
inline constexpr char Command3[] = "Limpiar";
inline constexpr char Command4[] = "Cambiar Clave";

inline constexpr char KeyTitle[] = "Clave";
inline constexpr char KeyMessage[] = "Ingrese la clave de codificación: ";
inline constexpr char Accept[] = "Aceptar";
inline constexpr char Cancel[] = "Cancelar";

// Shown in both fields while there is no key.
inline constexpr char NoKeyNotice[] = "Sin clave: los textos se copian sin codificar.";
// What the buttons do, for screen readers. The program's fields stand side by side; on a phone
// the page's stand one above the other, so the page names the field instead.
inline constexpr char EncryptDescription[]
    = "Codifica con la clave el texto sin codificar y lo pone en el campo de la derecha.";
inline constexpr char DecryptDescription[]
    = "Descodifica con la clave el texto codificado y lo pone en el campo de la izquierda.";
inline constexpr char PageEncryptDescription[]
    = "Codifica con la clave el texto sin codificar y lo pone en el campo del texto codificado.";
inline constexpr char PageDecryptDescription[]
    = "Descodifica con la clave el texto codificado y lo pone en el campo del texto sin codificar.";
inline constexpr char ClearDescription[] = "Vacía los dos campos.";
inline constexpr char ChangeKeyDescription[] = "Pide una clave nueva.";

// The page's own controls under each field (Qt's editors have their own menu), each named with
// the field's label (%1) for screen readers, and what the page says once it has copied.
inline constexpr char Undo[] = "Deshacer";
inline constexpr char Redo[] = "Rehacer";
inline constexpr char Copy[] = "Copiar";
inline constexpr char ControlLabel[] = "%1: %2";
inline constexpr char Copied[] = "Copiado: %1.";

// Under the page: its name (%1) and version (%2), so that a user can tell which release is open.
inline constexpr char VersionLine[] = "%1, versión %2";

// A failed action: its error number and description, then for a text too long its length and the
// limit (%1), each on a line of its own.
inline constexpr char ErrorLine[] = "Error %1: %2.";
inline constexpr char TextLengthLine[]
    = "El texto tiene %1 caracteres, contando cada salto de línea como dos.";
inline constexpr char LimitLine[] = "Con clave, un texto puede tener como máximo %1 caracteres.";
// The cipher's one error: number 6, a sum or a character count outside 16 bits.
inline constexpr int OverflowNumber = 6;
inline constexpr char OverflowDescription[] = "desbordamiento";
inline constexpr char OutOfMemory[] = "Error 7: memoria insuficiente.";
// A failure nobody foresaw, with what it says (%1), if anything.
inline constexpr char UnexpectedLine[] = "Error inesperado: %1.";
inline constexpr char Unexpected[] = "Error inesperado.";

} // namespace Wording
