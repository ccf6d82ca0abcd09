"""The test authority among the trusted roots of the Wine prefix, for the
length of one test run: written into the machine's Root certificate store in
the registry (where the prefix's certificate engine reads its roots when a
program starts), and removed again afterwards."""
import hashlib
import struct
import subprocess

KEY = r"HKLM\Software\Microsoft\SystemCertificates\Root\Certificates"
CERT_PROPERTY = 32  # the certificate's own encoding, as a serialized store element holds it


def _reg(wine, *args):
    subprocess.run([wine, "reg", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class TrustedAuthority:
    def __init__(self, wine, der_path):
        with open(der_path, "rb") as f:
            der = f.read()
        self.wine = wine
        self.key = KEY + "\\" + hashlib.sha1(der).hexdigest().upper()
        blob = struct.pack("<III", CERT_PROPERTY, 1, len(der)) + der
        _reg(wine, "add", self.key, "/v", "Blob", "/t", "REG_BINARY", "/d", blob.hex(), "/f")

    def remove(self):
        _reg(self.wine, "delete", self.key, "/f")
