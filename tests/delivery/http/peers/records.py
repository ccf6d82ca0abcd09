"""What the loopback peers received, written as small text records that the
Windows tests read back: one line per fact, names and values in hexadecimal
so that any byte survives."""
import email.parser
import email.policy
import os
import urllib.parse
import zlib


def hexed(data):
    if isinstance(data, str):
        data = data.encode("latin-1", "surrogateescape")
    return data.hex() or "-"


def parse_form(content_type, body):
    """Fields and files of a request body, read by the standard library's parsers:
    ([(name, value bytes)], [(field name, file name, bytes)])."""
    fields, files = [], []
    if content_type.startswith("multipart/form-data"):
        message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
            b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body)
        # A body of the closing boundary alone has no parts.
        for part in message.iter_parts() if message.is_multipart() else []:
            name = part.get_param("name", header="content-disposition")
            filename = part.get_param("filename", header="content-disposition")
            data = part.get_payload(decode=True) or b""
            if filename is None:
                fields.append((name, data))
            else:
                files.append((name, filename, data))
    elif content_type.startswith("application/x-www-form-urlencoded"):
        for name, value in urllib.parse.parse_qsl(body.decode("latin-1"), keep_blank_values=True,
                                                  encoding="latin-1"):
            fields.append((name, value.encode("latin-1")))
    return fields, files


def record_lines(method, path, headers, fields, files, body_size):
    lines = [f"method {method}", f"path {hexed(path)}",
             f"authorization {hexed(headers.get('Authorization', ''))}",
             f"proxy-authorization {hexed(headers.get('Proxy-Authorization', ''))}",
             f"body-size {body_size}"]
    lines += [f"field {hexed(name)} {hexed(value)}" for name, value in fields]
    lines += [f"file {hexed(name)} {hexed(filename)} {len(data)} {zlib.crc32(data):08x}"
              for name, filename, data in files]
    return lines


def write_record(folder, name, lines):
    path = os.path.join(folder, name + ".txt")
    with open(path + ".part", "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(path + ".part", path)  # a reader never sees half a record
