"""The pieces the report-writing scripts of tools/ share: items, the page frame of a list, the
page footer, and writing a report file into reports/."""
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'reports')
WIDTH = 175          # A4 portrait between the margins
WIDE = 262           # A4 landscape between the margins
BOLD = {'bold': True}


def text(txt, x, y, w, h=5, **kw):
    d = {'type': 'text', 'text': txt, 'x': x, 'y': y, 'width': w, 'height': h}
    d.update(kw)
    return d


def field(name, x, y, w, h=5, **kw):
    d = {'type': 'field', 'field': name, 'x': x, 'y': y, 'width': w, 'height': h}
    d.update(kw)
    return d


def formula(name, x, y, w, h=5, **kw):
    d = {'type': 'formula', 'formula': name, 'x': x, 'y': y, 'width': w, 'height': h}
    d.update(kw)
    return d


def line(x, y, x2, lw=0.3):
    return {'type': 'line', 'x': x, 'y': y, 'x2': x2, 'y2': y, 'lineWidth': lw}


def page(orientation='portrait'):
    return {'size': 'A4', 'orientation': orientation, 'margins': {'top': 15, 'bottom': 15, 'left': 20, 'right': 15}}


def page_frame(title, subtitles, columns, width=WIDTH, title_formula=None):
    """The page header: club, print date, the title (or the formula title_formula), the criteria
    lines and the column captions."""
    title_font = {'size': 14, 'bold': True}
    items = [formula('Seurannimi', 0, 0, width - 55, 6, font=BOLD),
             {'type': 'printDate', 'x': width - 55, 'y': 0, 'width': 55, 'height': 6, 'align': 'right'},
             formula(title_formula, 0, 7, width, 8, font=title_font, fixedFont=True) if title_formula
             else text(title, 0, 7, width, 8, font=title_font, fixedFont=True)]
    y = 16
    for name in subtitles:
        items.append(formula(name, 0, y, width, 5, font={'italic': True}))
        y += 5
    y += 1
    for caption, x, w, *align in columns:
        kw = {'font': BOLD}
        if align:
            kw['align'] = align[0]
        items.append(text(caption, x, y, w, 5, **kw))
    items.append(line(0, y + 6, width, 0.8))
    return {'height': y + 7, 'items': items}


def page_footer(width=WIDTH):
    return {'height': 8, 'items': [text('Sivu {PageNumber} / {TotalPageCount}', 0, 2, width, 5, align='right')]}


def write(name, report):
    report = dict({'format': 'tikkeli-report/1'}, **report)
    with open(os.path.join(OUT, name), 'w', encoding='utf-8') as f:
        json.dump(report, f, ensure_ascii=False, indent=1)
        f.write('\n')
