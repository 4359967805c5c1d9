"""The program's rules, asked of the program's own code (page_oracle) one question or a batch at a
time: strings travel as UTF-16 units in hex, so that no unit is changed on the way, and answers come
back by name."""

import json
import subprocess

# Known answers worked out by hand. Under "Clave" (C 67, L 76, A 65, V 86, E 69) text character
# 1 takes key character 2: H 72 + 76 = 148 (”), o 111 + 65 = 176 (°), l 108 + 86 = 194 (Â),
# a 97 + 69 = 166 (¦).
KNOWN_ANSWERS = [
    # key typed, shown in the key line, text, encoded as shown, encoded copy
    ("clave", "clave", "Hola", "”°Â¦", "⟦”°Â¦⟧"),  # letter case does not matter
    ("µ", "?", "A", "€", "⟦€⟧"),  # µ's capital is Greek: '?' 63; 65 + 63 = 128
    ("ı", "ı", "A", "Š", "⟦Š⟧"),  # dotless i counts as I 73; 65 + 73 = 138
    ("A", "A", "¿", "\u2400", "⟦\u2400⟧"),  # 191 + 65 = 256: code 0, shown as its picture
    ("A", "A", "ß", " ", "⟦\u2420⟧"),  # 223 + 65 = 288: 32, a blank
    ("ZZ", "ZZ", "ÈÈ", '""', '⟦＂＂⟧'),  # 200 + 90 = 290: 34, copied as its fullwidth form
    ("A", "A", "ÌÉ", "\n", "⟦\u240d\u240a⟧"),  # 204 + 65 = 13, 201 + 65 = 10: a line break
]

def utf16(text):
    """The UTF-16 units of a Python string; lone surrogates stay themselves."""
    data = text.encode("utf-16-le", "surrogatepass")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def units(text):
    """A string as the oracle's hex."""
    return "".join(f"{u:04x}" for u in utf16(text)) or "-"


def from_units(hex_text):
    data = b"" if hex_text == "-" else bytes.fromhex(hex_text.lstrip("!"))
    return bytes(b for i in range(0, len(data), 2) for b in (data[i + 1], data[i])).decode("utf-16-le", "surrogatepass")


def batch(oracle, cases):
    """The oracle's answers to (text, key, pasted) cases: for each, its answers by name, as hex."""
    lines = "".join(f"{units(t)} {units(k)} {units(p)}\n" for t, k, p in cases)
    out = subprocess.run([oracle], input=lines, capture_output=True, text=True, check=True).stdout.splitlines()
    return [json.loads(line) for line in out[: len(cases)]]


class Rules:
    """What the program makes of a string, one question at a time. Texts are the program's (line
    breaks as CR LF); shown texts are a field's (line breaks as LF, control codes as pictures)."""

    def __init__(self, oracle):
        self.process = subprocess.Popen([oracle], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def close(self):
        self.process.stdin.close()
        self.process.wait()

    def ask(self, text="", key="", pasted=""):
        self.process.stdin.write(f"{units(text)} {units(key)} {units(pasted)}\n")
        self.process.stdin.flush()
        return json.loads(self.process.stdout.readline())

    def shown(self, text):
        return from_units(self.ask(text=text)["shown"])

    def text(self, shown):
        return from_units(self.ask(pasted=shown)["from shown"])

    def typed(self, typed):
        """What a typed string shows as."""
        return from_units(self.ask(pasted=typed)["typed"])

    def pasted(self, pasted):
        """What a pasted string shows as."""
        return self.shown(from_units(self.ask(pasted=pasted)["pasted"]))

    def copy(self, shown, encoded):
        """What a field copies of a shown text: the encoded field's form, or the plain one."""
        return from_units(self.ask(text=self.text(shown))["encoded copy" if encoded else "plain copy"])

    def result(self, shown, key, encrypt):
        """The shown result of "Encriptar =>" or "<= Desenciptar " on a shown text, None on failure."""
        answer = self.ask(text=self.text(shown), key=key)["encoded" if encrypt else "decoded"]
        return None if answer.startswith("!") else self.shown(from_units(answer))

    def counted(self, key):
        """The key as the key line shows it."""
        return from_units(self.ask(key=key)["key"])
