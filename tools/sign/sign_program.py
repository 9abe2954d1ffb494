#!/usr/bin/env python3
"""Signs a Windows program with the publisher's certificate (Authenticode,
SHA-256, Debian's osslsigncode), then verifies the signature.

  sign_program.py EXE (--pkcs12 FILE | --cert FILE --key FILE)
                  [--password-file FILE | --password-env NAME]
                  [--ca-file FILE] [--timestamp URL] [--print-command]

The password reaches osslsigncode on its standard input, never in its
arguments, where any user of the machine could read it. The signed file is
written beside EXE and replaces it only once it verifies: on any failure EXE
is left as linked (the build then deletes it) and the script exits 1 with
one "sign: ..." line that says what to mend, then osslsigncode's own lines.
--print-command prints the signing command it would run, and runs nothing.
"""

import argparse, os, re, shlex, shutil, subprocess, sys

TOOL = "osslsigncode"
# Shown by Windows as the program name when it asks to run a signed program.
DESCRIPTION = "Tesmo Setup"


def parse(argv):
    parser = argparse.ArgumentParser(prog="sign_program.py")
    parser.add_argument("exe")
    parser.add_argument("--pkcs12")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    password = parser.add_mutually_exclusive_group()
    password.add_argument("--password-file")
    password.add_argument("--password-env")
    parser.add_argument("--ca-file")
    parser.add_argument("--timestamp")
    parser.add_argument("--print-command", action="store_true")
    args = parser.parse_args(argv)
    if bool(args.pkcs12) == bool(args.cert or args.key) or bool(args.cert) != bool(args.key):
        parser.error("give either --pkcs12, or --cert and --key")
    return args


def sign_command(args, signed):
    """The osslsigncode call that writes the signed copy of args.exe."""
    if args.pkcs12:
        command = [TOOL, "sign", "-pkcs12", args.pkcs12]
    else:
        command = [TOOL, "sign", "-certs", args.cert, "-key", args.key]
    if args.password_file or args.password_env:
        command += ["-readpass", "-"]
    command += ["-h", "sha256", "-n", DESCRIPTION]
    if args.timestamp:
        # An RFC 3161 time stamp: the signature stays valid after the
        # certificate expires, as the server vouches it was made before.
        command += ["-ts", args.timestamp]
    return command + ["-in", args.exe, "-out", signed]


def verify_command(args, exe):
    # No CRL fetched from the certificate's distribution points: the build
    # must not depend on the network, nor on the day a list is published.
    command = [TOOL, "verify", "-ignore-cdp"]
    if args.ca_file:
        command += ["-CAfile", args.ca_file]
    return command + ["-in", exe]


class Failure(Exception):
    pass


def read_password(args):
    if args.password_file:
        try:
            with open(args.password_file, "rb") as f:
                lines = f.read().splitlines()
        except OSError as e:
            raise Failure(f"cannot read the password file {args.password_file}: {e.strerror}")
        return lines[0] if lines else b""
    if args.password_env:
        value = os.environb.get(args.password_env.encode())
        if value is None:
            raise Failure(f"the environment variable {args.password_env}, "
                          "which is to hold the password, is not set")
        return value
    return None


def check_readable(args):
    for path in (args.pkcs12, args.cert, args.key, args.ca_file):
        if path:
            try:
                with open(path, "rb") as f:
                    f.read(1)
            except OSError as e:
                raise Failure(f"cannot read the certificate file {path}: {e.strerror}")


def run(command, stdin=b""):
    # A session of its own: with no terminal, an encrypted key without a
    # password fails instead of waiting at a prompt in the middle of a build.
    try:
        result = subprocess.run(command, input=stdin, capture_output=True,
                                start_new_session=True, timeout=300)
    except FileNotFoundError:
        raise Failure(f"{TOOL} is not installed (Debian: apt-get install {TOOL})")
    except subprocess.TimeoutExpired:
        raise Failure(f"{TOOL} gave no answer in 5 minutes: {shlex.join(command[:2])}")
    return result.returncode, (result.stdout + result.stderr).decode(errors="replace")


def sign(args, signed):
    password = read_password(args)
    check_readable(args)
    code, output = run(sign_command(args, signed), b"" if password is None else password)
    if code == 0:
        return
    key_file = args.pkcs12 or args.key
    if "Wrong password?" in output:
        if password is None:
            raise Failure(f"{key_file} needs a password, and none was given", output)
        raise Failure(f"wrong password for {key_file}", output)
    if "Failed to checking the consistency" in output:
        raise Failure(f"the key {args.key} does not belong to the certificate {args.cert}",
                      output)
    match = re.search(r"^Failed to (read|extract|decode)[^\n]*", output, re.M)
    if match:
        raise Failure(f"cannot read the certificate: {match.group(0)}", output)
    if args.timestamp and re.search(r"HTTP|[Tt]imestamp", output):
        raise Failure(f"no time stamp from the server {args.timestamp}", output)
    raise Failure(f"{TOOL} could not sign {args.exe}", output)


def verify(args, signed):
    code, output = run(verify_command(args, signed))
    if code != 0 or "Signature verification: ok" not in output:
        against = args.ca_file or "the system's certificate authorities"
        raise Failure(f"the signature of {args.exe} does not verify against {against}",
                      output)
    subject = re.search(r"Subject: (.*)", output)
    return subject.group(1).strip() if subject else "?"


def tool_lines(output):
    """osslsigncode's lines that tell what failed: its own, and the reason
    of OpenSSL's last error rather than the whole stack of them."""
    lines, reason = [], None
    for line in output.splitlines():
        line = line.strip()
        openssl = re.match(r"[0-9A-F]+:error:[0-9A-F]+:[^:]*:[^:]*:([^:]*):[^:]*:[0-9]+:(.*)", line)
        if openssl:
            reason = ": ".join(part for part in openssl.groups() if part)
        elif re.search(r"Fail|Error|MISMATCH|Wrong", line) and line != "Failed":
            lines.append(line)
    return lines + ([reason] if reason else [])


def main(argv):
    args = parse(argv)
    signed = args.exe + ".signing"
    if args.print_command:
        print(shlex.join(sign_command(args, signed)))
        return 0
    try:
        sign(args, signed)
        subject = verify(args, signed)
        shutil.copymode(args.exe, signed)
        os.replace(signed, args.exe)
    except Failure as failure:
        text = failure.args[0]
        print(f"sign: {text}", file=sys.stderr)
        if len(failure.args) > 1:
            print("".join(f"  {TOOL}: {line}\n" for line in tool_lines(failure.args[1])),
                  end="", file=sys.stderr)
        if os.path.exists(signed):
            os.remove(signed)
        return 1
    stamped = f", time-stamped by {args.timestamp}" if args.timestamp else ""
    print(f"sign: {os.path.basename(args.exe)} signed by {subject} (SHA-256{stamped}), verified")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
