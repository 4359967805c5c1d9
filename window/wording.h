#pragma once

// What the program says to its users, word for word, in one place: the window takes it from here,
// and so does the page (page/), where it is written into the page when the page is built. UTF-8.
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
inline constexpr char ClearDescription[] = "Vacía los dos campos.";
inline constexpr char ChangeKeyDescription[] = "Pide una clave nueva.";

// A failed action: its error number and description, then for a text too long its length and the
// limit (%1), each on a line of its own.
inline constexpr char ErrorLine[] = "Error %1: %2.";
inline constexpr char TextLengthLine[]
    = "El texto tiene %1 caracteres, contando cada salto de línea como dos.";
inline constexpr char LimitLine[] = "Con clave, un texto puede tener como máximo %1 caracteres.";
inline constexpr char OutOfMemory[] = "Error 7: memoria insuficiente.";
inline constexpr char Unexpected[] = "Error inesperado.";

} // namespace Wording
