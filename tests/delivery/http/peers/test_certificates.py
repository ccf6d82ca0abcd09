"""A test authority and server certificates made by openssl at test time:
one trusted for 127.0.0.1, one for another name, one expired, and one from
an authority nobody trusts. Each authority publishes its revocation list at
`crl_url` + "/<authority>.crl", so the client's revocation check has an answer."""
import os
import subprocess


def run(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_authority(folder, name):
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "2", "-subj", f"/CN=VX {name}",
        "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
        "-keyout", f"{name}.key", "-out", f"{name}.pem", cwd=folder)
    run("x509", "-in", f"{name}.pem", "-outform", "DER", "-out", f"{name}.der", cwd=folder)
    db = os.path.join(folder, f"{name}-db")
    os.makedirs(db)
    open(os.path.join(db, "index.txt"), "w").close()
    for counter in ("serial", "crlnumber"):
        with open(os.path.join(db, counter), "w") as out:
            out.write("1000\n")
    with open(os.path.join(folder, f"{name}.cnf"), "w") as conf:
        conf.write(f"[ca]\ndefault_ca=test\n[test]\ndatabase={db}/index.txt\nnew_certs_dir={db}\n"
                   f"serial={db}/serial\ncrlnumber={db}/crlnumber\ndefault_md=sha256\ndefault_crl_days=2\n"
                   f"policy=any\nunique_subject=no\n[any]\ncommonName=supplied\n")


def publish_crl(folder, authority, crls):
    run("ca", "-batch", "-gencrl", "-config", f"{authority}.cnf", "-cert", f"{authority}.pem",
        "-keyfile", f"{authority}.key", "-out", f"{authority}.crl.pem", cwd=folder)
    run("crl", "-in", f"{authority}.crl.pem", "-outform", "DER", "-out", os.path.join(crls, f"{authority}.crl"),
        cwd=folder)


def make_leaf(folder, authority, name, host, crl_url, dates):
    """A server certificate for `host` signed by `authority`, valid from and to
    `dates` (YYYYMMDDHHMMSSZ)."""
    with open(os.path.join(folder, f"{name}.ext"), "w") as ext:
        # An address is named both ways: Windows matches the IP entry, Wine's
        # name check only DNS entries.
        ext.write(f"subjectAltName=IP:{host},DNS:{host}\n" if host[0].isdigit() else f"subjectAltName=DNS:{host}\n")
        ext.write("extendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n")
        ext.write(f"crlDistributionPoints=URI:{crl_url}/{authority}.crl\n")
    run("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={host}",
        "-keyout", f"{name}.key", "-out", f"{name}.csr", cwd=folder)
    run("ca", "-batch", "-notext", "-config", f"{authority}.cnf", "-cert", f"{authority}.pem",
        "-keyfile", f"{authority}.key", "-in", f"{name}.csr", "-out", f"{name}.pem",
        "-startdate", dates[0], "-enddate", dates[1], "-extfile", f"{name}.ext", cwd=folder)


def make_all(folder, crls, crl_url):
    """{'authority': DER path, kind: (cert, key)} for good, wrong-name, expired, untrusted."""
    import datetime
    now = datetime.datetime.now(datetime.timezone.utc)
    stamp = lambda t: t.strftime("%Y%m%d%H%M%SZ")
    valid = (stamp(now - datetime.timedelta(days=1)), stamp(now + datetime.timedelta(days=2)))
    make_authority(folder, "test-ca")
    make_authority(folder, "stranger-ca")
    make_leaf(folder, "test-ca", "good", "127.0.0.1", crl_url, valid)
    make_leaf(folder, "test-ca", "wrong-name", "other.test", crl_url, valid)
    make_leaf(folder, "test-ca", "expired", "127.0.0.1", crl_url, ("20200101000000Z", "20200201000000Z"))
    make_leaf(folder, "stranger-ca", "untrusted", "127.0.0.1", crl_url, valid)
    publish_crl(folder, "test-ca", crls)
    publish_crl(folder, "stranger-ca", crls)
    pair = lambda n: (os.path.join(folder, f"{n}.pem"), os.path.join(folder, f"{n}.key"))
    return {"authority": os.path.join(folder, "test-ca.der"),
            **{kind: pair(kind) for kind in ("good", "wrong-name", "expired", "untrusted")}}
