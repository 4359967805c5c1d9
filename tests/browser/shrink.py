"""Delta debugging (Zeller and Hildebrandt's ddmin): a failing sequence shrunk to one that still
fails and from which no single item can be left out and still fail. It tries the sequence's parts
alone, then the sequence without each part, in parts ever smaller; fails(sequence) says whether a
sequence still fails. The program's random runs shrink their sequences the same way
(tests/support/shrink.h)."""


def shrunk(items, fails):
    items = list(items)
    parts = 2
    while len(items) >= 2:
        size = -(-len(items) // parts)
        chunks = range(0, len(items), size)
        smaller = next((items[i:i + size] for i in chunks if size < len(items) and fails(items[i:i + size])), None)
        if smaller is not None:
            items, parts = smaller, 2
            continue
        rest = next((items[:i] + items[i + size:] for i in chunks if fails(items[:i] + items[i + size:])), None)
        if rest is not None:
            items, parts = rest, max(parts - 1, 2)
            continue
        if parts >= len(items):
            break
        parts = min(parts * 2, len(items))
    return items


if __name__ == "__main__":
    import sys

    # The same table as the program's shrinker's (tst_editing): steps 1 to 20, a sequence failing
    # when it holds every step needed, in order.
    def holds(needed):
        def fails(sequence):
            at = 0
            for step in sequence:
                at += at < len(needed) and step == needed[at]
            return at == len(needed)
        return fails

    failed = False
    for name, needed in [("one step that fails alone is left alone", [13]),
                         ("two steps far apart are left without the steps between", [3, 17]),
                         ("two steps side by side are left together", [10, 11]),
                         ("the first and the last step are kept with one between", [1, 9, 20]),
                         ("a sequence that needs every step stays whole", list(range(1, 21)))]:
        got = shrunk(range(1, 21), holds(needed))
        print("PASS:" if got == needed else "FAIL:", name, "" if got == needed else got)
        failed |= got != needed
    sys.exit(1 if failed else 0)
