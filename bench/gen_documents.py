#!/usr/bin/env python3
"""The benchmark documents, their cases and their hand-written evaluator.

One model is fixed by --fields K, --cats C, --derived N and --seed S. From it
this script writes one of three things to --out (default: standard output):

  (default)    a PMML document: DataDictionary of K continuous inputs x0.. and
               C categorical inputs c0.. (each with --labels values), a
               TransformationDictionary of N derived fields cycling
               NormContinuous, Discretize, MapValues and Apply, and a
               RegressionModel with one NumericPredictor per derived field;
  --cases M    a CSV of M cases for the inputs (an empty cell is missing, with
               probability --missing); it depends on --seed, K and C only;
  --emit-cpp   C++ computing the same derived fields and regression score in
               straight-line code: namespace gen with kFields, kCats, kDerived,
               kLabels[C][L], compute(inputs, derived) and score(derived).
               Inputs are numbers, a category's position (-1 unknown) and NaN
               for missing; a missing derived value is NaN.

Apply trees use + - * / ln sqrt exp abs min max sum, with lessThan, equal and
isMissing at the top of a tree. Every value stays finite: divisions, logarithms,
square roots and exponentials are guarded, and a tree reads only inputs and
derived fields defined before it. Python standard library only.
"""

import argparse
import random
import sys

NUMERIC = ('+', '-', '*', '/', 'ln', 'sqrt', 'exp', 'abs', 'min', 'max', 'sum')


def num(x):
    return repr(float(round(x, 6)))


class Model:
    """The document as a list of derived fields, each kept as XML and as C++."""

    def __init__(self, fields, cats, derived, seed, labels):
        self.fields, self.cats, self.labels = fields, cats, labels
        self.rng = random.Random(seed * 7919 + fields * 31 + cats * 7 + derived)
        self.derived = []  # (name, xml, cpp)
        self.numeric = ['x%d' % i for i in range(fields)]  # readable by Apply
        # A bound on the magnitude of every field, so that trees stay finite.
        self.bounds = dict((name, 50.0) for name in self.numeric)
        for i in range(derived):
            kind = i % 4
            name = 'd%d' % i
            build = (self.norm, self.discretize, self.map_values, self.apply)[kind]
            if kind == 2 and cats == 0:
                build = self.norm
            xml, cpp, bound = build(name)
            self.derived.append((name, xml, cpp))
            self.numeric.append(name)
            self.bounds[name] = bound
        self.coefficients = [self.rng.uniform(-1, 1) for _ in range(derived)]
        self.intercept = self.rng.uniform(-1, 1)

    def label(self, j, k):
        return 'c%dv%d' % (j, k)

    def ref(self, name):
        """The C++ expression of a numeric input or earlier derived field."""
        if name.startswith('x'):
            return 'in[%s]' % name[1:]
        return 'd[%s]' % name[1:]

    def input_field(self):
        return 'x%d' % self.rng.randrange(self.fields)

    def norm(self, name):
        f = self.input_field()
        # Two points: the reader takes a straight line.
        points = sorted(self.rng.sample(range(-30, 31), 2))
        norms = sorted(self.rng.uniform(-2, 2) for _ in points)
        xml = ['<NormContinuous field="%s">' % f]
        xml += ['<LinearNorm orig="%d" norm="%s"/>' % (o, num(n)) for o, n in zip(points, norms)]
        xml.append('</NormContinuous>')
        pairs = ', '.join('{%d.0, %s}' % (o, num(n)) for o, n in zip(points, norms))
        cpp = 'norm(%s, {%s})' % (self.ref(f), pairs)
        return ''.join(xml), cpp, 400.0

    def discretize(self, name):
        f = self.input_field()
        cuts = sorted(self.rng.sample(range(-20, 21), 3))
        xml = ['<Discretize field="%s" mapMissingTo="-1" defaultValue="-2">' % f]
        bins = []
        edges = [None] + cuts + [None]
        for b in range(len(edges) - 1):
            left, right = edges[b], edges[b + 1]
            margins = (' leftMargin="%d"' % left) if left is not None else ''
            margins += (' rightMargin="%d"' % right) if right is not None else ''
            xml.append('<DiscretizeBin binValue="%d"><Interval closure="closedOpen"%s/>'
                       '</DiscretizeBin>' % (b, margins))
            bins.append(b)
        xml.append('</Discretize>')
        cpp = 'bin(%s, {%s})' % (self.ref(f), ', '.join('%d.0' % c for c in cuts))
        return ''.join(xml), cpp, 4.0

    def map_values(self, name):
        j = self.rng.randrange(self.cats)
        values = [self.rng.uniform(-3, 3) for _ in range(self.labels)]
        # One label left out of the table: it takes the default value.
        left_out = self.rng.randrange(self.labels)
        xml = ['<MapValues outputColumn="out" mapMissingTo="0" defaultValue="0.5">',
               '<FieldColumnPair field="c%d" column="in"/><InlineTable>' % j]
        table = []
        for k in range(self.labels):
            if k == left_out:
                table.append('0.5')
                continue
            xml.append('<row><in>%s</in><out>%s</out></row>' % (self.label(j, k), num(values[k])))
            table.append(num(values[k]))
        xml.append('</InlineTable></MapValues>')
        cpp = 'lookup(in[kFields + %d], {%s})' % (j, ', '.join(table))
        return ''.join(xml), cpp, 3.0

    def operand(self, depth):
        """A numeric expression as (xml, cpp, bound on its magnitude)."""
        if depth == 0 or self.rng.random() < 0.3:
            if self.rng.random() < 0.25:
                c = self.rng.uniform(-5, 5)
                return '<Constant>%s</Constant>' % num(c), num(c), abs(c) + 1
            # Recent fields more often, so that chains of derived fields form.
            pool = self.numeric
            name = pool[-1 - int(self.rng.triangular(0, len(pool) - 1, 0))]
            return '<FieldRef field="%s"/>' % name, self.ref(name), self.bounds[name]
        fn = self.rng.choice(NUMERIC)
        a = self.operand(depth - 1)
        if fn in ('abs', 'sqrt', 'ln', 'exp'):
            guard = {'abs': (None, None), 'sqrt': ('abs', None), 'ln': ('abs', '1'),
                     'exp': ('min', '5')}[fn]
            return self.unary(fn, a, guard)
        b = self.operand(depth - 1)
        if fn == '/':
            # Divide by max(|b|, 1).
            denominator = self.call('max', [self.call('abs', [b], b[2]), self.const(1)], b[2])
            return self.call('/', [a, denominator], a[2])
        bound = {'+': a[2] + b[2], '-': a[2] + b[2], '*': a[2] * b[2], 'min': max(a[2], b[2]),
                 'max': max(a[2], b[2]), 'sum': a[2] + b[2]}[fn]
        if bound > 1e12:
            fn, bound = 'min', max(a[2], b[2])
        return self.call(fn, [a, b], bound)

    def const(self, value):
        return '<Constant>%s</Constant>' % num(value), num(value), abs(value)

    def call(self, fn, args, bound):
        xml = '<Apply function="%s">%s</Apply>' % (fn, ''.join(a[0] for a in args))
        cpp = {'+': 'add', '-': 'sub', '*': 'mul', '/': 'div', 'min': 'mn', 'max': 'mx',
               'sum': 'total', 'abs': 'std::fabs', 'sqrt': 'std::sqrt', 'ln': 'std::log',
               'exp': 'std::exp'}[fn]
        return xml, '%s(%s)' % (cpp, ', '.join(a[1] for a in args)), bound

    def unary(self, fn, a, guard):
        inner, bound = a, a[2]
        if guard[0] == 'abs':
            inner = self.call('abs', [a], bound)
        if guard[1] == '1':  # ln(|a| + 1)
            inner = self.call('+', [inner, self.const(1)], bound + 1)
        if guard[0] == 'min':  # exp(min(a, 5))
            inner = self.call('min', [a, self.const(5)], bound)
            bound = 150
        elif fn == 'sqrt':
            bound = bound ** 0.5 + 1
        elif fn == 'ln':
            bound = 30
        return self.call(fn, [inner], bound)

    def apply(self, name):
        shape = self.rng.random()
        if shape < 0.1:
            f = self.rng.choice(self.numeric)
            return ('<Apply function="isMissing"><FieldRef field="%s"/></Apply>' % f,
                    'is_missing(%s)' % self.ref(f), 1.0)
        if shape < 0.2 and self.cats:
            j = self.rng.randrange(self.cats)
            k = self.rng.randrange(self.labels)
            return ('<Apply function="equal"><FieldRef field="c%d"/>'
                    '<Constant dataType="string">%s</Constant></Apply>' % (j, self.label(j, k)),
                    'equal_label(in[kFields + %d], %d)' % (j, k), 1.0)
        tree = self.operand(self.rng.choice((2, 3)))
        if shape < 0.3:
            c = self.rng.uniform(-2, 2)
            return ('<Apply function="lessThan">%s<Constant>%s</Constant></Apply>' % (
                tree[0], num(c)), 'less(%s, %s)' % (tree[1], num(c)), 1.0)
        return tree

    def document(self):
        out = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<PMML version="4.4" xmlns="http://www.dmg.org/PMML-4_4">',
               '<Header description="benchmark document"/>',
               '<DataDictionary numberOfFields="%d">' % (self.fields + self.cats + 1)]
        for i in range(self.fields):
            out.append('<DataField name="x%d" optype="continuous" dataType="double"/>' % i)
        for j in range(self.cats):
            out.append('<DataField name="c%d" optype="categorical" dataType="string">' % j)
            out += ['<Value value="%s"/>' % self.label(j, k) for k in range(self.labels)]
            out.append('</DataField>')
        out.append('<DataField name="y" optype="continuous" dataType="double"/>')
        out.append('</DataDictionary>')
        out.append('<TransformationDictionary>')
        for name, xml, _ in self.derived:
            out.append('<DerivedField name="%s" optype="continuous" dataType="double">' % name)
            out.append(xml)
            out.append('</DerivedField>')
        out.append('</TransformationDictionary>')
        out.append('<RegressionModel functionName="regression" modelName="bench">')
        out.append('<MiningSchema>')
        out += ['<MiningField name="x%d"/>' % i for i in range(self.fields)]
        out += ['<MiningField name="c%d"/>' % j for j in range(self.cats)]
        out.append('<MiningField name="y" usageType="target"/>')
        out.append('</MiningSchema>')
        out.append('<RegressionTable intercept="%s">' % num(self.intercept))
        for (name, _, _), c in zip(self.derived, self.coefficients):
            out.append('<NumericPredictor name="%s" coefficient="%s"/>' % (name, num(c)))
        out.append('</RegressionTable>')
        out.append('</RegressionModel>')
        out.append('</PMML>')
        return '\n'.join(out) + '\n'

    def cpp(self):
        labels = ',\n    '.join('{%s}' % ', '.join('"%s"' % self.label(j, k)
                                                  for k in range(self.labels))
                               for j in range(max(self.cats, 1)))
        body = '\n'.join('  d[%d] = %s;' % (i, cpp) for i, (_, _, cpp) in enumerate(self.derived))
        terms = ''.join(' + %s * d[%d]' % (num(c), i) for i, c in enumerate(self.coefficients))
        return CPP_TEMPLATE % dict(fields=self.fields, cats=self.cats,
                                   derived=len(self.derived), count=self.labels, labels=labels,
                                   body=body, intercept=num(self.intercept), terms=terms)


CPP_TEMPLATE = r'''// Generated by bench/gen_documents.py --emit-cpp: the derived fields of one
// benchmark document in straight-line code (the generated evaluator).
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace gen {
constexpr int kFields = %(fields)d;
constexpr int kCats = %(cats)d;
constexpr int kDerived = %(derived)d;
const char* const kLabels[%(cats)d > 0 ? %(cats)d : 1][%(count)d] = {
    %(labels)s};

namespace detail {
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
inline bool missing(double x) { return std::isnan(x); }
inline double add(double a, double b) { return a + b; }
inline double sub(double a, double b) { return a - b; }
inline double mul(double a, double b) { return a * b; }
inline double div(double a, double b) { return a / b; }
// min, max and sum leave missing arguments out (all missing: missing).
inline double mn(double a, double b) { return missing(a) ? b : missing(b) || a < b ? a : b; }
inline double mx(double a, double b) { return missing(a) ? b : missing(b) || a > b ? a : b; }
inline double total(double a, double b) {
  return missing(a) && missing(b) ? kMissing : (missing(a) ? 0.0 : a) + (missing(b) ? 0.0 : b);
}
// A comparison reads a missing number as the lowest of all.
inline double less(double a, double b) { return missing(a) || a < b ? 1.0 : 0.0; }
inline double is_missing(double a) { return missing(a) ? 1.0 : 0.0; }
// A missing text equals no label.
inline double equal_label(double position, int k) { return position == k ? 1.0 : 0.0; }
// Piecewise linear through the points, extended beyond the first and last.
inline double norm(double x, std::initializer_list<std::pair<double, double>> p) {
  const std::pair<double, double>* a = p.begin();
  const std::pair<double, double>* b = a + 1;
  while (b + 1 != p.end() && x >= b->first) { ++a; ++b; }
  return a->second + (x - a->first) * (b->second - a->second) / (b->first - a->first);
}
// Bins [-inf, c0), [c0, c1), ..., [c_last, inf) numbered from 0; -1 when missing.
inline double bin(double x, std::initializer_list<double> cuts) {
  if (missing(x)) return -1.0;
  double n = 0.0;
  for (double c : cuts) {
    if (x < c) return n;
    n += 1.0;
  }
  return n;
}
// The table's value of a category position: 0 when missing, 0.5 when unknown.
inline double lookup(double position, std::initializer_list<double> table) {
  if (missing(position)) return 0.0;
  if (position < 0) return 0.5;
  return table.begin()[static_cast<int>(position)];
}
}  // namespace detail

inline void compute(const double* in, double* d) {
  using namespace detail;
%(body)s
}

inline double score(const double* d) {
  return %(intercept)s%(terms)s;
}
}  // namespace gen
'''


def cases(fields, cats, labels, count, missing, seed):
    rng = random.Random(seed * 104729 + fields * 17 + cats)
    lines = [','.join(['x%d' % i for i in range(fields)] + ['c%d' % j for j in range(cats)])]
    for _ in range(count):
        cells = []
        for i in range(fields):
            cells.append('' if rng.random() < missing else num(rng.gauss(0, 10)))
        for j in range(cats):
            cells.append('' if rng.random() < missing else 'c%dv%d' % (j, rng.randrange(labels)))
        lines.append(','.join(cells))
    return '\n'.join(lines) + '\n'


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--fields', type=int, default=20, help='K continuous inputs x0..x{K-1}')
    p.add_argument('--cats', type=int, default=3, help='C categorical inputs c0..c{C-1}')
    p.add_argument('--labels', type=int, default=4, help='values of each categorical input')
    p.add_argument('--derived', type=int, default=100, help='N derived fields')
    p.add_argument('--seed', type=int, default=1)
    p.add_argument('--cases', type=int, metavar='M', help='write M cases as CSV instead')
    p.add_argument('--missing', type=float, default=0.05, help='share of empty cells in --cases')
    p.add_argument('--emit-cpp', action='store_true', help='write the generated evaluator')
    p.add_argument('--out', help='output file (default: standard output)')
    a = p.parse_args()
    if a.fields < 1 or a.cats < 0 or a.labels < 2 or a.derived < 0:
        p.error('need --fields >= 1, --cats >= 0, --labels >= 2, --derived >= 0')
    if a.cases is not None:
        text = cases(a.fields, a.cats, a.labels, a.cases, a.missing, a.seed)
    else:
        model = Model(a.fields, a.cats, a.derived, a.seed, a.labels)
        text = model.cpp() if a.emit_cpp else model.document()
    if a.out:
        with open(a.out, 'w') as fh:
            fh.write(text)
    else:
        sys.stdout.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main())
