"""A test script's checks, each told on a line of its own as PASS or FAIL; the script's exit status
says whether any failed."""

failed = False


def check(name, condition, detail=""):
    global failed
    if condition:
        print("PASS:", name)
    else:
        failed = True
        print("FAIL:", name, detail)


def status():
    return 1 if failed else 0
