#!/usr/bin/env python3
"""Runs the script examples of the docs under the script host and compares what each prints
with the output its comments promise ("' -> text" in VBScript, "// -> text" in JScript).

run_examples.py DOCS_DIR WORK_DIR -- HOST_COMMAND...  (the command runs one script file)
A fenced block marked `vbscript setup` (or `jscript setup`) runs first; every other
`vbscript`/`jscript` block is an example, run in a procedure of its own with `view` a loaded
control (SampleView() / sampleView()). Blocks marked `vb`, `cs`, `cpp` and so on are not run.
"""
import pathlib, re, subprocess, sys

FENCE = re.compile(r"^```(vbscript|jscript)( setup)?\n(.*?)^```$", re.M | re.S)
WRAP = {
    "vbscript": dict(suffix=".vbs", promise="' -> ",
                     example="Sub Example{n}\nDim view: Set view = SampleView()\n{code}End Sub\n",
                     call='Err.Clear\nWScript.Echo "#example {n}"\nExample{n}\n'
                          'If Err.Number <> 0 Then WScript.Echo "#error " & Err.Number & " " & Err.Description\n',
                     head="", tail='On Error Resume Next\n{calls}WScript.Echo "#end"\n'),
    "jscript": dict(suffix=".js", promise="// -> ",
                    example="function example{n}() {{\nvar view = sampleView();\n{code}}}\n",
                    call='WScript.Echo("#example {n}");\ntry {{ example{n}(); }} catch (e) '
                         '{{ WScript.Echo("#error " + e.number + " " + e.message); }}\n',
                    head="", tail='{calls}WScript.Echo("#end");\n'),
}


def main():
    docs, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    host = sys.argv[sys.argv.index("--") + 1:]
    failed = total = 0
    for language, wrap in WRAP.items():
        setup, examples = "", []
        for doc in sorted(docs.glob("*.md")):
            text = doc.read_text(encoding="utf-8")
            for block in FENCE.finditer(text):
                if block.group(1) != language:
                    continue
                if block.group(2):
                    setup += block.group(3)
                    continue
                line = text.count("\n", 0, block.start()) + 1
                promised = [l.split(wrap["promise"], 1)[1].strip()
                            for l in block.group(3).splitlines() if wrap["promise"] in l]
                examples.append((f"{doc.name}:{line}", block.group(3), promised))
        if not examples:
            continue
        script = setup + "".join(wrap["example"].format(n=n, code=code)
                                 for n, (_, code, _) in enumerate(examples))
        calls = "".join(wrap["call"].format(n=n) for n in range(len(examples)))
        path = work / f"doc_examples{wrap['suffix']}"
        path.write_text(script + wrap["tail"].format(calls=calls), encoding="ascii")
        windows = "Z:" + str(path.resolve()).replace("/", "\\")
        run = subprocess.run(host + [windows], capture_output=True, text=True, timeout=600)
        heard, current = {}, None
        for line in run.stdout.splitlines():
            if line.startswith("#example "):
                current = int(line.split()[1])
                heard[current] = []
            elif current is not None and line.strip():
                heard[current].append(line.strip())
        if "#end" not in run.stdout:
            print(f"{language}: the script did not run to its end\n{run.stdout}{run.stderr}")
            failed += 1
        for n, (where, _, promised) in enumerate(examples):
            said = [l for l in heard.get(n, []) if l != "#end"]
            total += 1
            if said != promised:
                failed += 1
                print(f"{where}: printed {said}, the docs promise {promised}")
    print(f"{total} examples ran, {failed} failed")
    return 1 if failed or not total else 0


if __name__ == "__main__":
    sys.exit(main())
