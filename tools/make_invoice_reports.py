#!/usr/bin/env python3
"""Writes the eight invoice report files of reports/ (run, history) x (transfer form, letter) x
(Finnish, Finnish/Swedish). They share one layout; edit it here and run this script again:
    python3 tools/make_invoice_reports.py
The transfer form follows the Finnish standard form: A4, the form in the lowest 101.6 mm, its
fields in their standard places, and the version 4 virtual bar code as Code 128 below it."""
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'reports')

FORM_H = 101.6          # height of the standard form
TOP = 30                # the form starts this far down the invoice's closing band


def t(fi, sv, bilingual, sep=' / '):
    return fi + sep + sv if bilingual else fi


def text(txt, x, y, w, h, **kw):
    d = {'type': 'text', 'text': txt, 'x': x, 'y': y, 'width': w, 'height': h}
    d.update(kw)
    return d


def line(x, y, x2, y2, lw=0.5):
    return {'type': 'line', 'x': x, 'y': y, 'x2': x2, 'y2': y2, 'lineWidth': lw}


def report(history, form, bilingual):
    p = 'jmhist.jmhjm' if history else 'jm.jm'
    tbl = 'jmhist' if history else 'jm'
    key = 'jmhist.jmhID' if history else 'jm.jmID'
    order = 'jmhist.jmhTulostusJarjestysID' if history else 'jm.jmTulostusJarjestysID'
    invoice_id = 'jmhist.jmhjmID' if history else 'jm.jmID'
    text_id = 'jmhist.jmhjmmeID' if history else 'jm.jmmeID'
    small = {'size': 6}
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
    header = [
        {'type': 'formula', 'formula': 'Seurannimi', 'x': 20, 'y': 0, 'width': 88, 'height': 7,
         'font': {'size': 13, 'bold': True}, 'fixedFont': True},
        {'type': 'formula', 'formula': 'Seuranosoite', 'x': 20, 'y': 7, 'width': 88, 'height': 5},
        {'type': 'formula', 'formula': 'Seuranpostiosoite', 'x': 20, 'y': 12, 'width': 88, 'height': 5},
        {'type': 'formula', 'formula': 'SeuranPuhelinJaFax', 'x': 20, 'y': 17, 'width': 88, 'height': 5},
        text(title, 112, 0, 88, 8, font={'size': 15, 'bold': True}, fixedFont=True),
        text(address, 20, 32, 85, 30, dropEmptyLines=True),
    ]
    y = 12
    for label, field, fmt in info_labels:
        header.append(text(label, 112, y, 56, 5))
        f = {'type': 'field', 'field': field, 'x': 170, 'y': y, 'width': 35, 'height': 5}
        if fmt:
            f['format'] = fmt
        header.append(f)
        y += 5.5
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
        Y = TOP
        L = 20.0          # end of the label column
        M = 111.3         # the middle line of the form
        items = list(total)

        def label(fi, sv, x, y, w=18.5, h=12):
            txt = fi + ('\n' + sv if b else '')
            return text(txt, x, y, w, h, font=small, fixedFont=True)

        items += [
            line(0, Y, 210, Y, 0.3),
            label('Saajan\ntilinumero', 'Mottagarens\nkontonummer', 1, Y + 1, h=15),
            text('IBAN', L + 1, Y + 1, 40, 3, font=small, fixedFont=True),
            text('BIC', 80, Y + 1, 30, 3, font=small, fixedFont=True),
            {'type': 'formula', 'formula': 'IBAN1', 'x': L + 1, 'y': Y + 4.5, 'width': 58, 'height': 5,
             'font': {'bold': True}},
            {'type': 'formula', 'formula': 'BIC1', 'x': 80, 'y': Y + 4.5, 'width': 30, 'height': 5, 'font': {'bold': True}},
            {'type': 'formula', 'formula': 'IBAN2', 'x': L + 1, 'y': Y + 10, 'width': 58, 'height': 5},
            {'type': 'formula', 'formula': 'BIC2', 'x': 80, 'y': Y + 10, 'width': 30, 'height': 5},
            line(0, Y + 16.9, M, Y + 16.9),
            label('Saaja', 'Mottagare', 1, Y + 18),
            {'type': 'formula', 'formula': 'Seurannimi', 'x': L + 1, 'y': Y + 18.5, 'width': 88, 'height': 5},
            text('{@Seuranosoite}   {@Seuranpostiosoite}', L + 1, Y + 23, 88, 5),
            line(0, Y + 29.6, M, Y + 29.6),
            label('Maksajan\nnimi ja\nosoite', 'Betalarens\nnamn och\nadress', 1, Y + 30.5, h=22),
            text(address, L + 1, Y + 31, 88, 23, dropEmptyLines=True),
            line(0, Y + 55.0, 210, Y + 55.0),
            label('Allekirjoitus', 'Underskrift', 1, Y + 56, h=7),
            line(L + 2, Y + 62, M - 2, Y + 62, 0.3),
            line(0, Y + 63.5, 210, Y + 63.5),
            label('Tililtä nro', 'Från konto nr', 1, Y + 64.5, h=7),
            line(0, Y + 72.0, 210, Y + 72.0),
            line(L, Y, L, Y + 72.0),
            line(M, Y, M, Y + 72.0),
            label('Viitenro', 'Ref.nr', M + 1, Y + 56, w=18, h=7),
            {'type': 'field', 'field': p + 'Viitenumero', 'x': M + 21, 'y': Y + 57, 'width': 75, 'height': 5,
             'font': {'bold': True}},
            line(M + 19.5, Y + 55.0, M + 19.5, Y + 72.0),
            label('Eräpäivä', 'Förfallodag', M + 1, Y + 64.5, w=18, h=7),
            {'type': 'field', 'field': p + 'Erapaiva', 'format': 'date', 'x': M + 21, 'y': Y + 65.5, 'width': 27,
             'height': 5, 'font': {'bold': True}},
            line(160, Y + 63.5, 160, Y + 72.0),
            text('Euro', 161, Y + 64.5, 10, 3, font=small, fixedFont=True),
            {'type': 'field', 'field': p + 'Hinta', 'format': 'amount', 'x': 170, 'y': Y + 65.5, 'width': 37,
             'height': 5, 'align': 'right', 'font': {'bold': True}},
            # The payee's message area of the form: the invoice's own text and number.
            text('{%sTeksti}' % p, M + 2, Y + 2, 94, 20, wrap=True, grow=False),
            text(t('Laskunumero', 'Fakturanummer', b) + ' {%sLaskunumero}' % p, M + 2, Y + 46, 94, 5),
            text(t('TILISIIRTO', 'GIRERING', b, '  '), 1, Y + 74, 60, 5, font={'size': 9, 'bold': True},
                 fixedFont=True),
            text(t('Maksu välitetään saajalle maksujenvälityksen ehtojen mukaisesti ja vain maksajan '
                   'ilmoittaman tilinumeron perusteella.',
                   'Betalningen förmedlas till mottagaren enligt villkoren för betalningsförmedling och endast '
                   'till det kontonummer som betalaren angivit.', b, '\n'),
            M + 2, Y + 73, 95, 12, wrap=True, grow=False, font=small, fixedFont=True),
            {'type': 'barcode', 'x': 8, 'y': Y + 81, 'width': 100, 'height': 12, 'showText': False,
             'bankCode': {'iban': '{@IBAN1}', 'amount': '{%sHinta}' % p, 'reference': '{%sViitenumero}' % p,
                          'dueDate': '{%sErapaiva}' % p}},
        ]
        footer = {'height': TOP + FORM_H, 'anchor': 'bottom', 'canGrow': False, 'items': items}

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


def main():
    for history in (False, True):
        for form in (True, False):
            for bilingual in (False, True):
                name, rep = report(history, form, bilingual)
                with open(os.path.join(OUT, name), 'w', encoding='utf-8') as f:
                    json.dump(rep, f, ensure_ascii=False, indent=1)
                    f.write('\n')


if __name__ == '__main__':
    main()
