#!/usr/bin/env python3
"""Lines of code and of tests per library under src/, and the longest functions.

Usage: tools/code-counts.py [--longest N] [ROOT]
A test file is a *_test.cpp, *_xtest.cpp or a *TestSupport.h / *TestUtil.h helper.
Functions are found by their braces: a body opened at namespace level (or
directly inside a class) and closed again; lambdas count with the function
that holds them.
"""
import os, re, sys

def is_test(name):
    return re.search(r'_x?test\.cpp$|TestSupport\.h$|TestUtil\.h$', name) is not None

def strip(text):
    # Comments, strings and characters out, line breaks kept.
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i); i = n if j < 0 else j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2); j = n if j < 0 else j + 2
            out.append('\n' * text.count('\n', i, j)); i = j
        elif c == '"' or c == "'":
            m = re.match(r'R"([^(]*)\(', text[i:]) if c == '"' and i and text[i-1] == 'R' else None
            if m:
                end = text.find(')' + m.group(1) + '"', i); end = n if end < 0 else end + len(m.group(1)) + 2
            else:
                end = i + 1
                while end < n and text[end] != c:
                    end += 2 if text[end] == '\\' else 1
                end += 1
            out.append(c + c + '\n' * text.count('\n', i, end)); i = end
        else:
            out.append(c); i += 1
    return ''.join(out)

def functions(path):
    text = strip(open(path, encoding='utf-8', errors='replace').read())
    lines = text.split('\n')
    depth, scopes, found, start = 0, [], [], None
    for no, line in enumerate(lines, 1):
        for k, c in enumerate(line):
            if c == '{':
                head = (line[:k] if line[:k].strip() else lines[no - 2] if no > 1 else '').strip()
                kind = 'scope' if re.match(r'^(namespace|class|struct|union|enum|extern)\b', head) or head.endswith('=') else 'body'
                if kind == 'body' and all(s == 'scope' for s in scopes):
                    start = (no, head)
                scopes.append(kind)
            elif c == '}' and scopes:
                kind = scopes.pop()
                if kind == 'body' and all(s == 'scope' for s in scopes) and start:
                    found.append((no - start[0] + 1, path, start[0], start[1][:70]))
                    start = None
    return found

def main():
    args = sys.argv[1:]
    most = 15
    if args[:1] == ['--longest']:
        most = int(args[1]); args = args[2:]
    root = args[0] if args else 'src'
    per, all_functions = {}, []
    for folder, _, files in os.walk(root):
        for name in files:
            if not name.endswith(('.cpp', '.h')):
                continue
            path = os.path.join(folder, name)
            lib = os.path.relpath(path, root).split(os.sep)[0]
            count = sum(1 for _ in open(path, encoding='utf-8', errors='replace'))
            code, tests = per.get(lib, (0, 0))
            per[lib] = (code, tests + count) if is_test(name) else (code + count, tests)
            if not is_test(name):
                all_functions += functions(path)
    print('%-10s %8s %8s %6s' % ('library', 'code', 'tests', 'share'))
    total = [0, 0]
    for lib in sorted(per):
        code, tests = per[lib]
        total[0] += code; total[1] += tests
        print('%-10s %8d %8d %6.2f' % (lib, code, tests, tests / code if code else 0))
    print('%-10s %8d %8d %6.2f' % ('all', total[0], total[1], total[1] / total[0]))
    print('\nlongest functions (lines, place):')
    for size, path, line, head in sorted(all_functions, reverse=True)[:most]:
        print('%5d  %s:%d  %s' % (size, os.path.relpath(path), line, head))

main()
