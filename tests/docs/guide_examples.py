#!/usr/bin/env python3
"""Runs the worked examples of a markdown guide and compares what they print
with the output the guide shows, so the guide cannot drift from the program.

Fenced blocks with an info string take part:
  ```LANG file=NAME   the block's text is written to NAME in the scratch folder
  ```sh example       the commands run with bash in the scratch folder; what
                      they print (standard output and error together) must
                      equal the next ```output block, in which <DATE>, <TIME>,
                      <USERNAME> and <COMPUTERNAME> stand for what varies
                      (CR LF line ends of exported files compare as LF).
Blocks run in the order of the guide, in one scratch folder with a private
configuration: the demo database under the alias KIVDemoData3 and pinned
regional settings. The runner and the packager are found on the PATH.

Usage: guide_examples.py GUIDE BIN_DIR DEMO_DATA_SQL
"""
import os
import re
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^```([^\n]*)\n(.*?)^```[ \t]*$", re.S | re.M)
VARYING = {
    "<DATE>": r"\d\d/\d\d/\d{4}",
    "<TIME>": r"\d\d:\d\d:\d\d",
    "<USERNAME>": r"[A-Za-z0-9_]+",
    "<COMPUTERNAME>": r"[A-Za-z0-9_]+",
}
# United States regional settings, whatever the machine's locale.
REGIONAL = """[\\Control Panel\\International]
sDecimal=.
sThousand=,
sDate=/
sTime=:
sShortDate=M/d/yyyy
sTimeFormat=h:mm:ss tt
s1159=AM
s2359=PM
sCurrency=$
iCurrDigits=2
iCurrency=0
iNegCurr=0
"""


def blocks(text):
    """(line number, info words, body) of each fenced block."""
    for match in FENCE.finditer(text):
        line = text.count("\n", 0, match.start()) + 1
        yield line, match.group(1).split(), match.group(2)


def pattern_of(expected):
    parts = re.split("(" + "|".join(map(re.escape, VARYING)) + ")", expected)
    return "".join(VARYING.get(part, re.escape(part)) for part in parts)


def prepare(scratch, demo_sql, env):
    config = os.path.join(scratch, "config")
    data = os.path.join(scratch, "demo")
    os.makedirs(config)
    os.makedirs(data)
    with open(os.path.join(config, "engine.cfg"), "w") as cfg:
        cfg.write("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n"
                  "[\\DATABASES\\KIVDemoData3\\DB INFO\\]\nPATH=%s\n" % data)
    with open(os.path.join(config, "registry.ini"), "w") as registry:
        registry.write(REGIONAL)
    subprocess.run(["tessaly-query", "--batch", "--alias", "KIVDemoData3",
                    "--sql-file", demo_sql], cwd=scratch, env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    guide, bin_dir, demo_sql = sys.argv[1:4]
    with open(guide, encoding="utf-8") as handle:
        text = handle.read()
    failures = 0
    examples = 0
    with tempfile.TemporaryDirectory(prefix="guide-") as scratch:
        env = dict(os.environ, PATH=os.path.abspath(bin_dir) + os.pathsep + os.environ["PATH"],
                   TESSALY_CONFIG_DIR=os.path.join(scratch, "config"), TMPDIR=scratch,
                   QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
        prepare(scratch, os.path.abspath(demo_sql), env)
        pending = None
        for line, info, body in blocks(text):
            attributes = dict(word.split("=", 1) for word in info[1:] if "=" in word)
            if "file" in attributes:
                path = os.path.join(scratch, attributes["file"])
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w", encoding="utf-8") as handle:
                    handle.write(body)
            elif info[:2] == ["sh", "example"]:
                if pending:
                    print("%s:%d: example without an output block" % (guide, pending[0]))
                    failures += 1
                run = subprocess.run(["bash", "-c", body], cwd=scratch, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     timeout=120)
                # Markdown holds no carriage returns: text exports end their lines in CR LF.
                pending = (line, run.stdout.decode("utf-8", "replace").replace("\r\n", "\n"))
                examples += 1
            elif info[:1] == ["output"]:
                if not pending:
                    print("%s:%d: output block without an example" % (guide, line))
                    failures += 1
                    continue
                start, actual = pending
                pending = None
                if not re.fullmatch(pattern_of(body), actual):
                    failures += 1
                    print("%s:%d: the example prints\n%s\n--- the guide shows\n%s\n" %
                          (guide, start, actual, body))
        if pending:
            print("%s:%d: example without an output block" % (guide, pending[0]))
            failures += 1
    print("%d examples, %d failures" % (examples, failures))
    return 1 if failures or not examples else 0


if __name__ == "__main__":
    sys.exit(main())
