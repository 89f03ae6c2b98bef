#!/usr/bin/env python3
"""Writes the eight invoice report files of reports/ (run, history) x (transfer form, letter) x
(Finnish, Finnish/Swedish) and the payment reminder mutilis1.rpt. They share one layout and one
transfer form; edit them here and run this script again:
    python3 tools/make_invoice_reports.py
The transfer form follows the Finnish standard form: A4, the form in the lowest 101.6 mm, its
fields in their standard places, and the version 4 virtual bar code as Code 128 below it."""
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'reports')

FORM_H = 101.6          # height of the standard form
TOP = 30                # the form starts this far down the invoice's closing band
EDGE = 5.0              # printers cut what lies nearer the paper's edge than this


def t(fi, sv, bilingual, sep=' / '):
    return fi + sep + sv if bilingual else fi


def text(txt, x, y, w, h, **kw):
    d = {'type': 'text', 'text': txt, 'x': x, 'y': y, 'width': w, 'height': h}
    d.update(kw)
    return d


def line(x, y, x2, y2, lw=0.5):
    return {'type': 'line', 'x': x, 'y': y, 'x2': x2, 'y2': y2, 'lineWidth': lw}


L = 20.0                # end of the form's label column
M = 111.3               # the middle line of the form


def transfer_form(Y, b, address, amount, reference, due, due_code, message):
    """The standard bank transfer form from Y down: the payee's accounts and name, the payer's
    address, the reference, due date and amount fields, the payee's message area (the items in
    message) and the version 4 bar code of the account, amount, reference and due date."""
    small = {'size': 6}

    def label(fi, sv, x, y, w=18.5, h=12):
        txt = fi + ('\n' + sv if b else '')
        # Labels start at the printable margin; the fields beside them stay in their standard places.
        return text(txt, max(x, EDGE), y, w - max(0, EDGE - x), h, font=small, fixedFont=True)

    due_item = dict(due)
    due_item.update({'x': M + 21, 'y': Y + 65.5, 'width': 27, 'height': 5, 'font': {'bold': True}})
    return [
        line(EDGE, Y, 210 - EDGE, Y, 0.3),
        label('Saajan\ntilinumero', 'Mottagarens\nkontonummer', 1, Y + 1, h=15),
        text('IBAN', L + 1, Y + 1, 40, 3, font=small, fixedFont=True),
        text('BIC', 80, Y + 1, 30, 3, font=small, fixedFont=True),
        {'type': 'formula', 'formula': 'IBAN1', 'x': L + 1, 'y': Y + 4.5, 'width': 58, 'height': 5,
         'font': {'bold': True}},
        {'type': 'formula', 'formula': 'BIC1', 'x': 80, 'y': Y + 4.5, 'width': 30, 'height': 5, 'font': {'bold': True}},
        {'type': 'formula', 'formula': 'IBAN2', 'x': L + 1, 'y': Y + 10, 'width': 58, 'height': 5},
        {'type': 'formula', 'formula': 'BIC2', 'x': 80, 'y': Y + 10, 'width': 30, 'height': 5},
        line(EDGE, Y + 16.9, M, Y + 16.9),
        label('Saaja', 'Mottagare', 1, Y + 18),
        {'type': 'formula', 'formula': 'Seurannimi', 'x': L + 1, 'y': Y + 18.5, 'width': 88, 'height': 5},
        text('{@Seuranosoite}   {@Seuranpostiosoite}', L + 1, Y + 23, 88, 5),
        line(EDGE, Y + 29.6, M, Y + 29.6),
        label('Maksajan\nnimi ja\nosoite', 'Betalarens\nnamn och\nadress', 1, Y + 30.5, h=22),
        text(address, L + 1, Y + 31, 88, 23, dropEmptyLines=True),
        line(EDGE, Y + 55.0, 210 - EDGE, Y + 55.0),
        label('Allekirjoitus', 'Underskrift', 1, Y + 56, h=7),
        line(L + 2, Y + 62, M - 2, Y + 62, 0.3),
        line(EDGE, Y + 63.5, 210 - EDGE, Y + 63.5),
        label('Tililtä nro', 'Från konto nr', 1, Y + 64.5, h=7),
        line(EDGE, Y + 72.0, 210 - EDGE, Y + 72.0),
        line(L, Y, L, Y + 72.0),
        line(M, Y, M, Y + 72.0),
        label('Viitenro', 'Ref.nr', M + 1, Y + 56, w=18, h=7),
        {'type': 'field', 'field': reference, 'x': M + 21, 'y': Y + 57, 'width': 75, 'height': 5,
         'font': {'bold': True}},
        line(M + 19.5, Y + 55.0, M + 19.5, Y + 72.0),
        label('Eräpäivä', 'Förfallodag', M + 1, Y + 64.5, w=18, h=7),
        due_item,
        line(160, Y + 63.5, 160, Y + 72.0),
        text('Euro', 161, Y + 64.5, 10, 3, font=small, fixedFont=True),
        {'type': 'field', 'field': amount, 'format': 'amount', 'x': 170, 'y': Y + 65.5, 'width': 210 - EDGE - 170 - 1,
         'height': 5, 'align': 'right', 'font': {'bold': True}},
    ] + message + [
        text(t('TILISIIRTO', 'GIRERING', b, '  '), EDGE, Y + 74, 60, 5, font={'size': 9, 'bold': True},
             fixedFont=True),
        text(t('Maksu välitetään saajalle maksujenvälityksen ehtojen mukaisesti ja vain maksajan '
               'ilmoittaman tilinumeron perusteella.',
               'Betalningen förmedlas till mottagaren enligt villkoren för betalningsförmedling och endast '
               'till det kontonummer som betalaren angivit.', b, '\n'),
             M + 2, Y + 73, 95, 12, wrap=True, grow=False, font=small, fixedFont=True),
        {'type': 'barcode', 'x': 8, 'y': Y + 81, 'width': 100, 'height': 12, 'showText': False,
         'bankCode': {'iban': '{@IBAN1}', 'amount': '{%s}' % amount, 'reference': '{%s}' % reference,
                      'dueDate': due_code}},
    ]


def letterhead(title, address, info):
    """The club's name and contact lines, the title, the recipient's address for a window envelope
    and the column of (label, field, format) details on the right."""
    items = [
        {'type': 'formula', 'formula': 'Seurannimi', 'x': 20, 'y': 0, 'width': 88, 'height': 7,
         'font': {'size': 13, 'bold': True}, 'fixedFont': True},
        {'type': 'formula', 'formula': 'Seuranosoite', 'x': 20, 'y': 7, 'width': 88, 'height': 5},
        {'type': 'formula', 'formula': 'Seuranpostiosoite', 'x': 20, 'y': 12, 'width': 88, 'height': 5},
        {'type': 'formula', 'formula': 'SeuranPuhelinJaFax', 'x': 20, 'y': 17, 'width': 88, 'height': 5},
        title,
        text(address, 20, 32, 85, 30, dropEmptyLines=True),
    ]
    y = 12
    for label, field, fmt in info:
        items.append(text(label, 112, y, 56, 5))
        f = {'type': 'field', 'field': field, 'x': 170, 'y': y, 'width': 35, 'height': 5}
        if fmt:
            f['format'] = fmt
        items.append(f)
        y += 5.5
    return items


def report(history, form, bilingual):
    p = 'jmhist.jmhjm' if history else 'jm.jm'
    tbl = 'jmhist' if history else 'jm'
    key = 'jmhist.jmhID' if history else 'jm.jmID'
    order = 'jmhist.jmhTulostusJarjestysID' if history else 'jm.jmTulostusJarjestysID'
    invoice_id = 'jmhist.jmhjmID' if history else 'jm.jmID'
    text_id = 'jmhist.jmhjmmeID' if history else 'jm.jmmeID'
    b = bilingual

    address = '\n'.join('{%sLaskOsoite%d}' % (p, i) for i in range(1, 7))
    title = t('LASKU', 'FAKTURA', b, ' - ')
    info_labels = [
        (t('Laskupäivä', 'Fakturadatum', b), p + 'Laskupaiva', 'date'),
        (t('Laskunumero', 'Fakturanummer', b), p + 'Laskunumero', None),
        (t('Jäsennumero', 'Medlemsnummer', b), p + 'LaskJasennumero', None),
        (t('Eräpäivä', 'Förfallodag', b), p + 'Erapaiva', 'date'),
        (t('Viitenumero', 'Referensnummer', b), p + 'Viitenumero', None),
    ]
    header = letterhead(text(title, 112, 0, 88, 8, font={'size': 15, 'bold': True}, fixedFont=True), address,
                        info_labels)
    if history:
        # A history invoice printed again is a copy, and says so, so it is not paid twice.
        header.append(text(t('KOPIO', 'KOPIA', b, ' / '), 112, 6, 88, 6, font={'size': 12, 'bold': True},
                           fixedFont=True))
    header += [
        text('{%sOtsake}' % p, 20, 72, 170, 6, font={'bold': True}),
        text(t('Erittely', 'Specifikation', b), 20, 82, 120, 5, font={'bold': True}),
        text(t('Summa €', 'Summa €', b) if b else 'Summa €', 150, 82, 40, 5, align='right', font={'bold': True}),
        line(20, 88, 190, 88, 0.5),
    ]
    detail = [
        {'type': 'field', 'field': 'jmRivi.jmRTeksti', 'x': 20, 'y': 0.5, 'width': 125, 'height': 5},
        {'type': 'field', 'field': 'jmRivi.jmRHinta', 'format': 'amount', 'x': 150, 'y': 0.5, 'width': 40,
         'height': 5, 'align': 'right'},
    ]
    total = [
        line(20, 1, 190, 1, 0.5),
        text(t('Yhteensä', 'Totalt', b), 112, 2, 36, 5, font={'bold': True}),
        {'type': 'field', 'field': p + 'Hinta', 'format': 'amount', 'x': 150, 'y': 2, 'width': 40, 'height': 5,
         'align': 'right', 'font': {'bold': True}},
        {'type': 'field', 'field': 'me.meTeksti', 'x': 20, 'y': 9, 'width': 170, 'height': 18, 'wrap': True,
         'grow': False},
    ]
    if not form:
        total.append(text(
            t('Maksu tilille {@IBAN1} (BIC {@BIC1}) viitenumerolla {%sViitenumero} viimeistään {%sErapaiva}.'
              % (p, p),
              'Betalning till konto {@IBAN1} (BIC {@BIC1}) med referensnummer {%sViitenumero} senast {%sErapaiva}.'
              % (p, p), b, '\n'),
            20, 28, 170, 10, wrap=True))
        footer = {'height': 40, 'items': total}
    else:
        form_items = transfer_form(
            TOP, b, address,
            amount=p + 'Hinta',
            reference=p + 'Viitenumero',
            due={'type': 'field', 'field': p + 'Erapaiva', 'format': 'date'},
            due_code='{%sErapaiva}' % p,
            message=[
                # The payee's message area of the form: the invoice's own text and number.
                text('{%sTeksti}' % p, M + 2, TOP + 2, 94, 20, wrap=True, grow=False),
                text(t('Laskunumero', 'Fakturanummer', b) + ' {%sLaskunumero}' % p, M + 2, TOP + 46, 94, 5),
            ])
        footer = {'height': TOP + FORM_H, 'anchor': 'bottom', 'canGrow': False, 'items': total + form_items}

    name = ('lh' if history else 'la') + ('tilis' if form else 'lask') + ('2' if bilingual else '1') + '.rpt'
    what = ('Laskukopio' if history else 'Lasku') + (' tilisiirtolomakkeella' if form else '')
    return name, {
        'format': 'tikkeli-report/1',
        'title': what,
        'page': {'size': 'A4', 'orientation': 'portrait',
                 'margins': {'top': 10, 'bottom': 0, 'left': 0, 'right': 0}},
        'font': {'name': 'Arial', 'size': 10},
        'data': {
            'table': tbl,
            'joins': [
                {'table': 'jmRivi', 'type': 'left', 'from': invoice_id, 'to': 'jmRivi.jmRjmID'},
                {'table': 'me', 'type': 'left', 'from': text_id, 'to': 'me.meID'},
            ],
            'sort': ['+{jmRivi.jmRID}'],
        },
        'formulas': {'Seurannimi': '', 'Seuranosoite': '', 'Seuranpostiosoite': '', 'SeuranPuhelinJaFax': '',
                     'IBAN1': '', 'BIC1': '', 'IBAN2': '', 'BIC2': ''},
        # The print order first (it is what the print numbered), then one group per invoice.
        'groups': [
            {'field': order},
            {'field': key, 'newPage': True, 'header': {'height': 90, 'items': header}, 'footer': footer},
        ],
        'bands': {'detail': {'height': 5.5, 'items': detail}},
    }


def reminder():
    """The payment reminder of a history invoice on the transfer form: the invoice's details, the
    open amount, the late interest and the fee as the reminder recorded them, and the form for
    the total, to be paid at once (no due date in the form or the bar code)."""
    p = 'jmhist.jmhjm'
    address = '\n'.join('{%sLaskOsoite%d}' % (p, i) for i in range(1, 7))
    info_labels = [
        ('Muistutuspäivä', p + 'MuistutusPaiva', 'date'),
        ('Muistutus nro', p + 'MuistutusNumero', None),
        ('Laskunumero', p + 'Laskunumero', None),
        ('Laskupäivä', p + 'Laskupaiva', 'date'),
        ('Alkuperäinen eräpäivä', p + 'Erapaiva', 'date'),
        ('Viitenumero', p + 'Viitenumero', None),
        ('Jäsennumero', p + 'LaskJasennumero', None),
    ]
    # A reminder recorded without a title in the settings still says what it is.
    title = {'type': 'field', 'field': p + 'MuistutusOtsake', 'values': {'': 'MAKSUMUISTUTUS'}, 'x': 112, 'y': 0,
             'width': 88, 'height': 8, 'font': {'size': 15, 'bold': True}, 'fixedFont': True}
    header = letterhead(title, address, info_labels) + [
        {'type': 'formula', 'formula': 'MuistutusAlku', 'x': 20, 'y': 68, 'width': 170, 'height': 5, 'wrap': True},
        text('Erittely', 20, 80, 120, 5, font={'bold': True}),
        text('Summa €', 150, 80, 40, 5, align='right', font={'bold': True}),
        line(20, 86, 190, 86, 0.5),
    ]

    def row(label, field, y, **kw):
        return [text(label, 20, y, 125, 5, **kw),
                {'type': 'field', 'field': p + field, 'format': 'amount', 'x': 150, 'y': y, 'width': 40,
                 'height': 5, 'align': 'right', **kw}]

    detail = (row('{%sOtsake}, lasku {%sLaskunumero}: maksamatta' % (p, p), 'AvoinSumma', 1)
              + row('Viivästyskorko {%sMuistutusKorko} %% ajalta {%sErapaiva} - {%sMuistutusPaiva}' % (p, p, p),
                    'MuistutusKorkoSumma', 6.5)
              + row('Muistutuskulut', 'MuistutusKulut', 12)
              + [line(20, 18.5, 190, 18.5, 0.5)]
              + row('Maksettava yhteensä', 'MuistutusYhteensa', 19.5, font={'bold': True})
              + [{'type': 'formula', 'formula': 'MuistutusLoppu', 'x': 20, 'y': 29, 'width': 170, 'height': 5,
                  'wrap': True}])
    Y = 4
    form = transfer_form(
        Y, False, address,
        amount=p + 'MuistutusYhteensa',
        reference=p + 'Viitenumero',
        due={'type': 'text', 'text': 'HETI'},
        due_code='',
        message=[
            text('{%sOtsake}' % p, M + 2, Y + 2, 94, 10, wrap=True, grow=False),
            text('Maksumuistutus {%sMuistutusNumero}, laskunumero {%sLaskunumero}' % (p, p), M + 2, Y + 46, 94, 5),
        ])
    return 'mutilis1.rpt', {
        'format': 'tikkeli-report/1',
        'title': 'Maksumuistutus tilisiirtolomakkeella',
        'page': {'size': 'A4', 'orientation': 'portrait',
                 'margins': {'top': 10, 'bottom': 0, 'left': 0, 'right': 0}},
        'font': {'name': 'Arial', 'size': 10},
        'data': {'table': 'jmhist', 'joins': [], 'sort': []},
        'formulas': {'Seurannimi': '', 'Seuranosoite': '', 'Seuranpostiosoite': '', 'SeuranPuhelinJaFax': '',
                     'MuistutusAlku': '', 'MuistutusLoppu': '', 'IBAN1': '', 'BIC1': '', 'IBAN2': '', 'BIC2': ''},
        # The print order first (it is what the print numbered), then one page per reminder.
        'groups': [
            {'field': 'jmhist.jmhTulostusJarjestysID'},
            {'field': 'jmhist.jmhID', 'newPage': True, 'header': {'height': 88, 'items': header},
             'footer': {'height': Y + FORM_H, 'anchor': 'bottom', 'canGrow': False, 'items': form}},
        ],
        'bands': {'detail': {'height': 36, 'items': detail}},
    }


def write(name, rep):
    with open(os.path.join(OUT, name), 'w', encoding='utf-8') as f:
        json.dump(rep, f, ensure_ascii=False, indent=1)
        f.write('\n')


def main():
    for history in (False, True):
        for form in (True, False):
            for bilingual in (False, True):
                name, rep = report(history, form, bilingual)
                write(name, rep)
    write(*reminder())


if __name__ == '__main__':
    main()
