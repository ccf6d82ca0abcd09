"""pyftpdlib on 127.0.0.1 at a free port, passive data ports from a probed
free range, one user with write rights in a fresh folder."""
import socket
import logging
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer

USER, PASSWORD = "uploader", "p@ss:w/rd"


def free_ports(count):
    """Ports the system hands out now, held until all are known."""
    sockets = []
    try:
        for _ in range(count):
            s = socket.socket()
            s.bind(("127.0.0.1", 0))
            sockets.append(s)
        return sorted(s.getsockname()[1] for s in sockets)
    finally:
        for s in sockets:
            s.close()


logging.getLogger("pyftpdlib").setLevel(logging.WARNING)


class FtpServer:
    def __init__(self, root):
        authorizer = DummyAuthorizer()
        authorizer.add_user(USER, PASSWORD, root, perm="elradfmwMT")
        handler = type("BoundFTPHandler", (FTPHandler,), {})
        handler.authorizer = authorizer
        handler.passive_ports = free_ports(16)
        handler.masquerade_address = None
        self.server = ThreadedFTPServer(("127.0.0.1", 0), handler)
        self.port = self.server.address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, kwargs={"handle_exit": False}, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.close_all()
