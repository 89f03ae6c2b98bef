#!/usr/bin/env python3
"""Writes the catch report si.rpt of reports/: the catch of one game species line by line in date
order, its counts by age and sex, the free permits of the police and the population left after the
hunt. Edit the layout here and run this script again:
    python3 tools/make_catch_reports.py"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# The contract lists' items and file writer serve here too.
from make_contract_reports import WIDTH, BOLD, text, field, formula, line, write  # noqa: E402


# The catch lines: caption, x, width, the item that prints the value.
AGE = {'true': 'Aikuinen', '1': 'Aikuinen', 'false': 'Vasa', '0': 'Vasa'}
SEX = {'true': 'Uros', '1': 'Uros', 'false': 'Naaras', '0': 'Naaras'}
COLUMNS = [
    ('Päivämäärä', 0, 19, lambda x, w: field('si.siPvm', x, 0, w - 1, format='date')),
    ('Pyyntipaikka', 19, 46, lambda x, w: field('si.siPaikka', x, 0, w - 1)),
    ('Kaataja', 65, 38, lambda x, w: field('si.siKaataja', x, 0, w - 1)),
    ('Ikä', 103, 17, lambda x, w: field('si.siIka', x, 0, w - 1, values=AGE)),
    ('Sukupuoli', 120, 17, lambda x, w: field('si.siSukupuoli', x, 0, w - 1, values=SEX)),
    ('1½', 137, 7, lambda x, w: field('si.siPuolitoista', x, 0, w, format='check', align='center')),
    ('V', 144, 8, lambda x, w: field('si.siSarvipiikkiV', x, 0, w, format='integer', align='right')),
    ('O', 152, 8, lambda x, w: field('si.siSarvipiikkiO', x, 0, w, format='integer', align='right')),
    ('Kelvoton', 161, 14, lambda x, w: field('si.siKelvoton', x, 0, w, format='check', align='center')),
]


def report_header():
    items = [formula('Seurannimi', 0, 0, WIDTH - 55, 6, font=BOLD),
             {'type': 'printDate', 'x': WIDTH - 55, 'y': 0, 'width': 55, 'height': 6, 'align': 'right'},
             text('Saalisilmoitus', 0, 8, WIDTH, 9, font={'size': 16, 'bold': True}, fixedFont=True),
             text('Hirvieläinlaji:', 0, 19, 35, font=BOLD), formula('HirviElainLaji', 35, 19, 140),
             text('Lupanumero:', 0, 25, 35, font=BOLD), formula('Lupanumero', 35, 25, 140),
             text('Luvansaaja:', 0, 31, 35, font=BOLD), formula('Luvansaaja', 35, 31, 140)]
    return {'height': 40, 'items': items}


def page_header():
    items = [text('Sarvipiikit', 144, 0, 16, 4, font={'size': 8}, align='center')]
    for caption, x, w, _ in COLUMNS:
        align = 'center' if caption in ('1½', 'V', 'O', 'Kelvoton') else 'left'
        items.append(text(caption, x, 4, w, 5, font=BOLD, align=align))
    items.append(line(0, 10, WIDTH, 0.8))
    return {'height': 11, 'items': items}


def summary():
    """The counts by age and sex (2 x 3), the police permits and the population left."""
    items = [line(0, 1, WIDTH, 0.8),
             text('Saalisyhteenveto', 0, 4, 80, 6, font={'size': 12, 'bold': True}, fixedFont=True)]
    y = 11
    heads = [('Uros', 40), ('Naaras', 65), ('Yhteensä', 90)]
    for caption, x in heads:
        items.append(text(caption, x, y, 25, font=BOLD, align='right'))
    items.append(line(0, y + 5.5, 115))
    rows = [('Aikuinen', ['SumAikU', 'SumAikN', 'SumAikYht']), ('Vasa', ['SumVasaU', 'SumVasaN', 'SumVasaYht'])]
    y += 7
    for caption, names in rows:
        items.append(text(caption, 0, y, 40, font=BOLD))
        for (_, x), name in zip(heads, names):
            items.append(formula(name, x, y, 25, align='right'))
        y += 6
    y += 4
    items.append(text('Poliisin myöntämät maksuttomat pyyntiluvat', 0, y, WIDTH, 6,
                      font={'size': 12, 'bold': True}, fixedFont=True))
    y += 7
    items += [text('Hirviä:', 0, y, 40), formula('PolLupaA', 40, y, 40),
              text('Valkohäntäpeuroja:', 85, y, 40), formula('PolLupaV', 125, y, 50)]
    y += 10
    items.append(text('Jäävä kanta', 0, y, WIDTH, 6, font={'size': 12, 'bold': True}, fixedFont=True))
    y += 7
    items.append(formula('LupaAlueenPintaAla', 0, y, WIDTH, 5, wrap=True))
    y += 7
    for caption, name in [('Hirviä:', 'JHirvia'), ('Valkohäntäpeuroja:', 'JValkoH'),
                          ('Metsäkauriita:', 'JMetsaK'), ('Kuusipeuroja:', 'JKuusiP')]:
        items += [text(caption, 10, y, 45), formula(name, 55, y, 60)]
        y += 6
    return {'height': y + 2, 'items': items}


def catch_report():
    formulas = {name: '' for name in [
        'Seurannimi', 'HirviElainLaji', 'Lupanumero', 'Luvansaaja', 'SumAikU', 'SumAikN', 'SumVasaU',
        'SumVasaN', 'SumAikYht', 'SumVasaYht', 'PolLupaA', 'PolLupaV', 'JHirvia', 'JValkoH', 'JMetsaK',
        'JKuusiP', 'LupaAlueenPintaAla']}
    write('si.rpt', {
        'title': 'Saalisilmoitus',
        'page': {'size': 'A4', 'orientation': 'portrait',
                 'margins': {'top': 15, 'bottom': 15, 'left': 20, 'right': 15}},
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'si', 'joins': [], 'sort': ['+{si.siPvm}', '+{si.siID}']},
        'formulas': formulas,
        'groups': [],
        'bands': {
            'reportHeader': report_header(),
            'pageHeader': page_header(),
            'detail': {'height': 5, 'font': {'size': 9},
                       'items': [make(x, w) for _, x, w, make in COLUMNS]},
            'reportFooter': summary(),
            'pageFooter': {'height': 8, 'items': [
                text('Sivu {PageNumber} / {TotalPageCount}', 0, 2, WIDTH, 5, align='right')]},
        },
    })


if __name__ == '__main__':
    catch_report()
