"""A client for Marionette, the remote control that Thunderbird and Firefox carry, just enough to run
scripts in the program's own windows (its chrome), as its own tests do, or in the page it shows."""
import json
import socket


class Marionette:
    def __init__(self, port, timeout=120, context="chrome"):
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.buffer = b""
        self.next_id = 0
        self.read()  # the greeting
        self.command("WebDriver:NewSession", {"capabilities": {}})
        self.command("Marionette:SetContext", {"value": context})
        self.command("WebDriver:SetTimeouts", {"script": timeout * 1000})

    def read(self):
        # Each message is its length in bytes, a colon and the JSON.
        while b":" not in self.buffer:
            self.receive()
        length, _, rest = self.buffer.partition(b":")
        self.buffer = rest
        while len(self.buffer) < int(length):
            self.receive()
        message, self.buffer = self.buffer[: int(length)], self.buffer[int(length):]
        return json.loads(message)

    def receive(self):
        data = self.socket.recv(65536)
        if not data:
            raise ConnectionError("Marionette closed the connection")
        self.buffer += data

    def command(self, name, parameters):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, parameters]).encode()
        self.socket.sendall(str(len(data)).encode() + b":" + data)
        while True:
            _, id, error, result = self.read()
            if id == self.next_id:
                break
        if error:
            raise RuntimeError("%s: %s" % (error.get("error"), error.get("message")))
        return result

    def run(self, script, *args):
        """Runs script, an async function's body, in the program's main window; returns its value."""
        body = "const args = Array.from(arguments), resolve = args.pop();" \
               "(async function () {%s}).apply(null, args)" \
               ".then(resolve, e => resolve({error: String(e) + '\\n' + e.stack}));" % script
        value = self.command("WebDriver:ExecuteAsyncScript", {"script": body, "args": list(args)})["value"]
        if isinstance(value, dict) and "error" in value:
            raise RuntimeError(value["error"])
        return value
