"""A strict reader of the form requests the crash reporter sends: any byte
out of place is an error, not a guess. Returns the fields and files in the
order they came.

    url-encoded: name=value pairs joined with "&", every byte but letters
                 and digits as "%" + two upper-case hexadecimal digits
    multipart:   boundary of 27 hyphens and twelve upper-case hexadecimal
                 digits; each part "--B" CR LF, a Content-Disposition line
                 (form-data; name="..."; [filename="...";]), for a file a
                 "Content-Type: application/octet-stream" line, a blank
                 line, the bytes and CR LF; then "--B--" CR LF
"""
import re


class FormError(Exception):
    pass


_PAIR = re.compile(rb"(?:[A-Za-z0-9]|%[0-9A-F]{2})*")
_ESCAPE = re.compile(rb"%([0-9A-F]{2})")
_BOUNDARY = re.compile(r"multipart/form-data; boundary=(-{27}[0-9A-F]{12})")
_DISPOSITION = re.compile(rb'Content-Disposition: form-data; name="([^"\r\n]*)";(?: filename="([^"\r\n]*)";)?')


def _decode(text):
    if not _PAIR.fullmatch(text):
        raise FormError(f"badly encoded: {text!r}")
    return _ESCAPE.sub(lambda m: bytes([int(m.group(1), 16)]), text)


def parse_pairs(data):
    """name=value&... as the crash reporter encodes them: [(name, value)] of bytes."""
    if not data:
        return []
    pairs = []
    for pair in data.split(b"&"):
        if pair.count(b"=") != 1:
            raise FormError(f"not a name=value pair: {pair!r}")
        name, value = pair.split(b"=")
        pairs.append((_decode(name), _decode(value)))
    return pairs


def parse_multipart(boundary, body):
    """([(name, value)], [(field, file name, bytes)]) of a multipart body."""
    start, end = b"--" + boundary + b"\r\n", b"--" + boundary + b"--\r\n"
    if not body.startswith(start) or not body.endswith(end):
        raise FormError("body does not start and end with the boundary")
    fields, files = [], []
    position = 0
    while body.startswith(start, position):
        head_end = body.find(b"\r\n\r\n", position)
        if head_end < 0:
            raise FormError("part without a blank line")
        lines = body[position + len(start):head_end].split(b"\r\n")
        disposition = _DISPOSITION.fullmatch(lines[0])
        if not disposition:
            raise FormError(f"bad part header: {lines[0]!r}")
        is_file = disposition.group(2) is not None
        if lines[1:] != ([b"Content-Type: application/octet-stream"] if is_file else []):
            raise FormError(f"bad part headers: {lines!r}")
        data_end = body.find(b"\r\n--" + boundary, head_end + 4)
        if data_end < 0:
            raise FormError("part without an end")
        data = body[head_end + 4:data_end]
        if is_file:
            files.append((disposition.group(1), disposition.group(2), data))
        else:
            fields.append((disposition.group(1), data))
        position = data_end + 2
    if position != len(body) - len(end):
        raise FormError("bytes between the parts and the closing boundary")
    return fields, files


def parse_request(content_type, content_length, body):
    """The fields and files of a POST body, checked against its headers."""
    if content_length != len(body):
        raise FormError(f"Content-Length {content_length} for {len(body)} bytes")
    if content_type == "application/x-www-form-urlencoded":
        return parse_pairs(body), []
    boundary = _BOUNDARY.fullmatch(content_type or "")
    if boundary:
        return parse_multipart(boundary.group(1).encode("ascii"), body)
    raise FormError(f"unexpected content type {content_type!r}")
