#!/usr/bin/env python3
"""Prints the benchmark table and the ratios of the performance targets.

Reads what scripts/bench.sh left in one output directory:
  hand_LABEL.txt     hand_loop_bench output (shared floor; "parsed"/"maps" ns per derived field)
  xerces_LABEL.txt   xerces_parse_bench output (shared floor; "parse", "sax2-scan", ... ms)
  floor_LABEL.json   hand_floor_bench_LABEL (the "parsed" floor in the library's harness)
  eval.json          orvane_eval_bench (Google Benchmark JSON, with repetitions)
  load.json          orvane_load_bench (the same; floor_parse/floor_sax2_scan included)
  memory.txt         orvane_memory_bench output
Figures are medians over repetitions with [min-max]. Wall-clock ratios use the shared floors
as they are; CPU ratios use the floors rebuilt in the library's harness, which a busy machine
disturbs far less.
"""

import argparse
import json
import os
import re
import sys

TARGET_EVAL_RATIO = 10.0      # library ns/field over hand loop "parsed", small document
TARGET_EVAL_GROWTH = 1.5      # ns/field at the largest document over the smallest
TARGET_LOAD_RATIO = 1.3       # load over the DOM parse
TARGET_KEPT_MB = 30.0         # memory kept by a loaded N=5000 document

UNIT_NS = {'ns': 1.0, 'us': 1e3, 'ms': 1e6, 's': 1e9}


def read(path):
    try:
        with open(path) as fh:
            return fh.read()
    except OSError:
        return None


def hand_loop(text):
    """{'parsed': (median, lo, hi), 'maps': ...} in ns per derived field."""
    out = {}
    for mode, med, lo, hi in re.findall(
            r'^(\w+)\s+cases_per_s.*ns_per_derived_field median ([\d.]+) \(([\d.]+)-([\d.]+)\)',
            text or '', re.M):
        out[mode] = (float(med), float(lo), float(hi))
    return out


def xerces(text):
    """{'parse': (median, lo, hi), ...} in ms."""
    out = {}
    for what, med, lo, hi in re.findall(
            r'^(\S+)\s+ms median ([\d.]+) min ([\d.]+) max ([\d.]+)', text or '', re.M):
        out[what] = (float(med), float(lo), float(hi))
    return out


def gbench(*texts):
    """{run_name: {'median': row, 'min': row, 'max': row}} from Google Benchmark JSON."""
    out = {}
    for text in texts:
        if not text:
            continue
        for row in json.loads(text).get('benchmarks', []):
            entry = out.setdefault(row['run_name'], {})
            if row.get('error_occurred'):
                entry['error'] = row.get('error_message', 'error')
            elif row.get('run_type') == 'aggregate':
                entry[row['aggregate_name']] = row
            else:  # a single repetition stands for its own median, min and max
                for key in ('median', 'min', 'max'):
                    entry.setdefault(key, row)
    return out


def figure(entry, get):
    """(median, lo, hi) of get(row) over the aggregates of one benchmark, or None."""
    if not entry or 'median' not in entry:
        return None
    med = get(entry['median'])
    vals = [get(entry[k]) for k in ('min', 'max') if k in entry] + [med]
    return (med, min(vals), max(vals))


def per_field_ns(entry, field):
    """ns per derived field of the wall ('real_time') or CPU ('cpu_time') time."""
    return figure(entry, lambda r: r[field] * UNIT_NS[r.get('time_unit', 'ns')] / r['fields'])


def millis(entry, field):
    return figure(entry, lambda r: r[field] * UNIT_NS[r.get('time_unit', 'ms')] / 1e6)


def fmt(s, digits=1):
    if s is None:
        return 'n/a'
    return '%.*f [%.*f-%.*f]' % (digits, s[0], digits, s[1], digits, s[2])


def ratio(a, b):
    return None if a is None or b is None or b[0] == 0 else a[0] / b[0]


def fmt_ratio(a, b):
    r = ratio(a, b)
    return 'n/a' if r is None else '%.1fx' % r


def verdict(value, bound):
    if value is None:
        return 'n/a'
    return '%.2fx %s (target <= %gx)' % (value, 'ok' if value <= bound else 'MISSED', bound)


def row(cells, widths):
    return ' '.join(str(c).ljust(w) for c, w in zip(cells, widths)).rstrip()


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--out-dir', required=True)
    p.add_argument('--labels', default='d100,d1000,d5000')
    a = p.parse_args()
    d = a.out_dir
    labels = a.labels.split(',')
    ev = gbench(read(os.path.join(d, 'eval.json')),
                *[read(os.path.join(d, 'floor_%s.json' % label)) for label in labels])
    ld = gbench(read(os.path.join(d, 'load.json')))

    print('Evaluation, ns per derived field per case: median [min-max] over repetitions')
    w = (6, 22, 20, 7, 20, 18, 7, 20, 18, 20)
    print(row(('doc', 'fill+evaluate wall', 'hand parsed wall', 'ratio', 'fill+evaluate cpu',
               'hand parsed cpu', 'ratio', 'evaluate only wall', 'fill only wall',
               'hand maps wall'), w))
    eval_wall, eval_cpu, eval_ratio = {}, {}, {}
    for label in labels:
        hand = hand_loop(read(os.path.join(d, 'hand_%s.txt' % label)))
        full = ev.get('evaluate/%s/real_time' % label)
        floor = ev.get('hand_parsed/%s/real_time' % label)
        eval_wall[label] = per_field_ns(full, 'real_time')
        eval_cpu[label] = per_field_ns(full, 'cpu_time')
        floor_cpu = per_field_ns(floor, 'cpu_time')
        eval_ratio[label] = (ratio(eval_wall[label], hand.get('parsed')),
                             ratio(eval_cpu[label], floor_cpu))
        print(row((label, fmt(eval_wall[label]), fmt(hand.get('parsed'), 2),
                   fmt_ratio(eval_wall[label], hand.get('parsed')), fmt(eval_cpu[label]),
                   fmt(floor_cpu, 2), fmt_ratio(eval_cpu[label], floor_cpu),
                   fmt(per_field_ns(ev.get('evaluate_only/%s/real_time' % label), 'real_time')),
                   fmt(per_field_ns(ev.get('fill/%s/real_time' % label), 'real_time')),
                   fmt(hand.get('maps'), 2)), w))
    print()

    print('Load, ms: median [min-max] over repetitions')
    w = (6, 24, 20, 7, 22, 20, 7, 22, 20, 20)
    print(row(('doc', 'transformations wall', 'DOM parse wall', 'ratio',
               'transformations cpu', 'DOM parse cpu', 'ratio', 'model read wall',
               'scan+parse wall', 'model none wall'), w))
    loads = {}
    for label in labels:
        x = xerces(read(os.path.join(d, 'xerces_%s.txt' % label)))
        warm = ld.get('transformations_warm/%s/real_time' % label)
        warm_wall, warm_cpu = millis(warm, 'real_time'), millis(warm, 'cpu_time')
        parse_cpu = millis(ld.get('floor_parse/%s/real_time' % label), 'cpu_time')
        scan_cpu = millis(ld.get('floor_sax2_scan/%s/real_time' % label), 'cpu_time')
        model = ld.get('model_warm/%s/read/real_time' % label)
        model_wall, model_cpu = millis(model, 'real_time'), millis(model, 'cpu_time')
        cold = millis(ld.get('transformations_cold/%s/real_time' % label), 'real_time')
        scan_parse = None
        if 'parse' in x and 'sax2-scan' in x:
            scan_parse = tuple(x['parse'][i] + x['sax2-scan'][i] for i in range(3))
        scan_parse_cpu = None
        if parse_cpu and scan_cpu:
            scan_parse_cpu = tuple(parse_cpu[i] + scan_cpu[i] for i in range(3))
        loads[label] = dict(
            warm=(ratio(warm_wall, x.get('parse')), ratio(warm_cpu, parse_cpu)),
            cold=ratio(cold, x.get('init+parse')),
            model=(ratio(model_wall, scan_parse), ratio(model_cpu, scan_parse_cpu)))
        print(row((label, fmt(warm_wall, 2), fmt(x.get('parse'), 2),
                   fmt_ratio(warm_wall, x.get('parse')), fmt(warm_cpu, 2), fmt(parse_cpu, 2),
                   fmt_ratio(warm_cpu, parse_cpu), fmt(model_wall, 2), fmt(scan_parse, 2),
                   fmt(millis(ld.get('model_warm/%s/none/real_time' % label), 'real_time'), 2)),
                  w))
    print()

    mem = read(os.path.join(d, 'memory.txt')) or ''
    print('Memory')
    for line in mem.splitlines():
        if not line.startswith('eval.checkpoint'):
            print('  ' + line)
    print()

    def both(pair, bound):
        wall, cpu = pair
        return 'wall %s; cpu %s' % (verdict(wall, bound), verdict(cpu, bound))

    print('Targets')
    small, large = labels[0], labels[-1]
    print('  1. evaluation %s, library / hand "parsed": %s' % (
        small, both(eval_ratio[small], TARGET_EVAL_RATIO)))
    print('     per-field growth %s -> %s: %s' % (
        small, large, both((ratio(eval_wall[large], eval_wall[small]),
                            ratio(eval_cpu[large], eval_cpu[small])), TARGET_EVAL_GROWTH)))
    for label in labels:
        l = loads[label]
        print('  2. load %s, transformations / DOM parse: %s' % (
            label, both(l['warm'], TARGET_LOAD_RATIO)))
        print('     load %s, model read / (sax2-scan + parse): %s' % (
            label, both(l['model'], TARGET_LOAD_RATIO)))
        print('     load %s, Xerces not held: transformations / init+parse: wall %s' % (
            label, verdict(l['cold'], TARGET_LOAD_RATIO)))
    kept = re.search(r'^load\.rss_kept\s+(\d+)', mem, re.M)
    doc = re.search(r'^load\.document\s+(\S+)', mem, re.M)
    growth = re.search(r'^eval\.heap_growth\s+(-?\d+)', mem, re.M)
    rss_growth = re.search(r'^eval\.rss_growth\s+(-?\d+)', mem, re.M)
    cases = re.search(r'^eval\.cases\s+(\d+)', mem, re.M)
    if kept:
        mb = int(kept.group(1)) / 1048576.0
        print('  3. memory kept after loading %s: %.1f MB %s (target <= %g MB)' % (
            os.path.basename(doc.group(1)) if doc else '?', mb,
            'ok' if mb <= TARGET_KEPT_MB else 'MISSED', TARGET_KEPT_MB))
    if growth and cases:
        grew = int(growth.group(1)) > 0 or (rss_growth and int(rss_growth.group(1)) > 0)
        print('     growth over %s evaluated cases: heap %s bytes, RSS %s bytes %s (target 0)' % (
            cases.group(1), growth.group(1), rss_growth.group(1) if rss_growth else '?',
            'MISSED' if grew else 'ok'))
    errors = [(n, e['error']) for src in (ev, ld) for n, e in src.items() if 'error' in e]
    for name, message in errors:
        print('  error in %s: %s' % (name, message))
    return 1 if errors else 0


if __name__ == '__main__':
    sys.exit(main())
