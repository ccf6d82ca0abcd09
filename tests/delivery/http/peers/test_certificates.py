"""A test authority and server certificates made by openssl at test time:
one trusted for 127.0.0.1, one for another name, one expired, and one from
an authority nobody trusts."""
import os
import subprocess


def run(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_authority(folder, name):
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "2", "-subj", f"/CN={name}",
        "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
        "-keyout", f"{name}.key", "-out", f"{name}.pem", cwd=folder)
    run("x509", "-in", f"{name}.pem", "-outform", "DER", "-out", f"{name}.der", cwd=folder)


def make_leaf(folder, authority, name, host, dates=None):
    """A server certificate for `host` signed by `authority`; `dates` (start,
    end as YYYYMMDDHHMMSSZ) for one outside its validity."""
    with open(os.path.join(folder, f"{name}.ext"), "w") as ext:
        ext.write(f"subjectAltName=IP:{host}\n" if host[0].isdigit() else f"subjectAltName=DNS:{host}\n")
        ext.write("extendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n")
    run("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={host}",
        "-keyout", f"{name}.key", "-out", f"{name}.csr", cwd=folder)
    if dates is None:
        run("x509", "-req", "-in", f"{name}.csr", "-CA", f"{authority}.pem", "-CAkey", f"{authority}.key",
            "-CAcreateserial", "-days", "2", "-sha256", "-extfile", f"{name}.ext", "-out", f"{name}.pem", cwd=folder)
        return
    # Only the "ca" command sets dates in the past.
    db = os.path.join(folder, f"{name}-db")
    os.makedirs(db, exist_ok=True)
    open(os.path.join(db, "index.txt"), "w").close()
    with open(os.path.join(db, "serial"), "w") as serial:
        serial.write("1000\n")
    with open(os.path.join(folder, f"{name}-ca.cnf"), "w") as conf:
        conf.write(f"[ca]\ndefault_ca=test\n[test]\ndatabase={db}/index.txt\nnew_certs_dir={db}\n"
                   f"serial={db}/serial\ndefault_md=sha256\npolicy=any\n[any]\ncommonName=supplied\n")
    run("ca", "-batch", "-notext", "-config", f"{name}-ca.cnf", "-cert", f"{authority}.pem",
        "-keyfile", f"{authority}.key", "-in", f"{name}.csr", "-out", f"{name}.pem",
        "-startdate", dates[0], "-enddate", dates[1], "-extfile", f"{name}.ext", cwd=folder)


def make_all(folder):
    """{'authority': DER path, kind: (cert, key)} for good, wrong-name, expired, untrusted."""
    make_authority(folder, "test-ca")
    make_authority(folder, "stranger-ca")
    make_leaf(folder, "test-ca", "good", "127.0.0.1")
    make_leaf(folder, "test-ca", "wrong-name", "other.test")
    make_leaf(folder, "test-ca", "expired", "127.0.0.1", ("20200101000000Z", "20200201000000Z"))
    make_leaf(folder, "stranger-ca", "untrusted", "127.0.0.1")
    pair = lambda n: (os.path.join(folder, f"{n}.pem"), os.path.join(folder, f"{n}.key"))
    return {"authority": os.path.join(folder, "test-ca.der"),
            **{kind: pair(kind) for kind in ("good", "wrong-name", "expired", "untrusted")}}
