"""A real web host on 127.0.0.1: Debian's nginx, run by the test itself, serving a folder as a static
host does (GitHub Pages' ten minutes of caching included), keeping a log of every address asked for.

    host = Host(root, work)
    host.start(); ...; host.stop()   # stopped is the network gone; started again, on the same port
"""

import os
import shutil
import signal
import socket
import subprocess

import engines


class Host:
    def __init__(self, root, work):
        self.root, self.work = os.path.abspath(root), os.path.abspath(work)
        self.port = engines.free_port()
        self.log = os.path.join(self.work, "nginx-access.log")
        self.process = None
        os.makedirs(os.path.join(self.work, "nginx-temp"), exist_ok=True)
        temp = os.path.join(self.work, "nginx-temp")
        self.config = os.path.join(self.work, "nginx.conf")
        with open(self.config, "w") as f:
            f.write(f"""daemon off;
master_process off;
pid {self.work}/nginx.pid;
error_log {self.work}/nginx-error.log;
events {{ worker_connections 64; }}
http {{
    include /etc/nginx/mime.types;
    access_log {self.log};
    client_body_temp_path {temp};
    proxy_temp_path {temp};
    fastcgi_temp_path {temp};
    uwsgi_temp_path {temp};
    scgi_temp_path {temp};
    server {{
        listen 127.0.0.1:{self.port};
        root {self.root};
        add_header Cache-Control "max-age=600";
        location ~ \\.webmanifest$ {{
            types {{ application/manifest+json webmanifest; }}
        }}
    }}
}}
""")

    def url(self, path=""):
        return f"http://127.0.0.1:{self.port}/{path}"

    def start(self):
        # Debian keeps nginx in /usr/sbin, which a user's PATH may lack.
        nginx = shutil.which("nginx", path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")
        self.process = subprocess.Popen([nginx, "-e", os.path.join(self.work, "nginx-error.log"),
                                         "-p", self.work, "-c", self.config],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        engines.wait_until("nginx on 127.0.0.1", self.answers, 10)

    def answers(self):
        with socket.socket() as s:
            return s.connect_ex(("127.0.0.1", self.port)) == 0

    def stop(self):
        if self.process:
            self.process.send_signal(signal.SIGQUIT)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            self.process = None
        engines.wait_until("nginx to stop", lambda: not self.answers(), 10)

    def requests(self):
        """The address of every request that reached the host, in order."""
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return [line.split('"')[1].split(" ")[1] for line in f if '"' in line]

