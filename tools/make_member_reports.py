#!/usr/bin/env python3
"""Writes the member list, label and payment-history report files of reports/ (jrluetlo.rpt,
jrlomins.rpt, jrlaajlu.rpt, jrosoite.rpt, jrosoitt.rpt, jmmakhis.rpt). The member outputs select
on the flag jr.jrMukaan and hand the sort field; edit the layouts here and run this script again:
    python3 tools/make_member_reports.py"""
from report_items import BOLD, WIDE, WIDTH, field, line, page, page_footer, text, write
from report_items import page_frame as frame

NAME = '{jr.jrSukunimi} {jr.jrEtunimi}'
POSTAL = '{jr.jrPostinumero} {jr.jrPostitoimipaikka}'
BY_NAME = ['+{jr.jrSukunimi}', '+{jr.jrEtunimi}']


def page_frame(title, columns, width=WIDTH, title_formula=False):
    """The lists' page header; the name and wide lists print the title the print hands (Otsake)."""
    return frame(title, [], columns, width, 'Otsake' if title_formula else None)


def member_count(width=WIDTH):
    return {'height': 10, 'items': [line(0, 1, width), {'type': 'count', 'text': 'Jäseniä: ', 'x': 0, 'y': 2.5,
                                                        'width': 80, 'height': 5, 'font': {'italic': True}}]}


def name_list():
    columns = [('Nro', 0, 14), ('Nimi', 15, 50), ('Osoite', 66, 45), ('Postiosoite', 112, 40),
               ('Puhelin', 153, 22)]
    write('jrluetlo.rpt', {
        'title': 'Jäsenluettelo',
        'page': page(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'jr', 'sort': BY_NAME},
        'formulas': {'Seurannimi': '', 'Otsake': 'Jäsenluettelo'},
        'bands': {
            'pageHeader': page_frame('', columns, title_formula=True),
            'detail': {'height': 5.5, 'items': [
                field('jr.jrJasennumero', 0, 0.5, 14), text(NAME, 15, 0.5, 50), field('jr.jrOsoite', 66, 0.5, 45),
                text(POSTAL, 112, 0.5, 40), field('jr.jrPuhelin', 153, 0.5, 22)]},
            'reportFooter': member_count(),
            'pageFooter': page_footer(),
        },
    })


def feature_list():
    """One member once (a group per member, in the print's order), the feature values under it."""
    columns = [('Ominaisuus', 10, 55), ('Päiväys', 66, 22), ('Luku', 89, 18, 'right'),
               ('Arvo', 108, 22, 'right'), ('Muistio', 132, 43)]
    write('jrlomins.rpt', {
        'title': 'Jäsenluettelo ominaisuuksin',
        'page': page(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'jr',
                 'joins': [{'table': 'pt', 'type': 'left', 'from': 'jr.jrID', 'to': 'pt.ptjrID'},
                           {'table': 'pi', 'type': 'left', 'from': 'pt.ptpiID', 'to': 'pi.piID'}],
                 'sort': BY_NAME},
        'formulas': {'Seurannimi': ''},
        'groups': [
            {'field': 'jr.jrID', 'afterSort': True, 'repeatHeader': True,
             'header': {'height': 6.5, 'items': [
                 field('jr.jrJasennumero', 0, 1, 14, font=BOLD), text(NAME, 15, 1, 60, font=BOLD),
                 text('{jr.jrOsoite}, ' + POSTAL, 76, 1, 99)]},
             'footer': {'height': 2, 'items': []}},
            {'field': 'pt.ptID', 'afterSort': True},
        ],
        'bands': {
            'pageHeader': page_frame('JÄSENLUETTELO OMINAISUUKSIN', columns),
            'detail': {'height': 5, 'items': [
                field('pi.piNimi', 10, 0, 55), field('pt.ptValDate', 66, 0, 22, format='date'),
                field('pt.ptValLong', 89, 0, 18, format='integer', align='right'),
                field('pt.ptValCurrency', 108, 0, 22, format='amount', align='right'),
                field('pt.ptValMemo', 132, 0, 43, wrap=True)]},
            'reportFooter': {'height': 10, 'items': [
                line(0, 1, WIDTH), {'type': 'count', 'field': 'pi.piNimi', 'text': 'Ominaisuusarvoja: ', 'x': 0,
                                    'y': 2.5, 'width': 80, 'height': 5, 'font': {'italic': True}}]},
            'pageFooter': page_footer(),
        },
    })


def wide_list():
    columns = [('Nro / nimi / titteli', 0, 62), ('Osoite / puhelimet', 63, 62), ('Sähköposti / viite', 126, 62),
               ('Synt. / liittynyt', 189, 28), ('Maksu', 218, 14), ('Omist.', 233, 14), ('E-lasku', 248, 14)]
    write('jrlaajlu.rpt', {
        'title': 'Laaja jäsenluettelo',
        'page': page('landscape'),
        'font': {'name': 'Times New Roman', 'size': 9},
        'data': {'table': 'jr', 'sort': BY_NAME},
        'formulas': {'Seurannimi': '', 'Otsake': 'Jäsenluettelo'},
        'bands': {
            'pageHeader': page_frame('', columns, WIDE, title_formula=True),
            'detail': {'height': 16, 'items': [
                text('{jr.jrJasennumero}  ' + NAME, 0, 0.5, 62, font=BOLD),
                field('jr.jrTitteli', 0, 5, 62),
                field('jr.jrOsoite', 63, 0.5, 62), text(POSTAL, 63, 5, 62),
                text('{jr.jrPuhelin}  {jr.jrMatkapuhelin}', 63, 9.5, 62),
                field('jr.jrEmail', 126, 0.5, 62), field('jr.jrViitenumero', 126, 5, 62),
                field('jr.jrSyntyma', 189, 0.5, 28, format='date'), field('jr.jrLiittyma', 189, 5, 28, format='date'),
                field('jr.jrJasenmaksu', 218, 0.5, 14, format='check'),
                field('jr.jrMaanomistaja', 233, 0.5, 14, format='check'),
                field('jr.jrEmailLasku', 248, 0.5, 14, format='check'),
                field('jr.jrMuistio', 126, 9.5, 136, wrap=True, font={'italic': True}),
                line(0, 15.5, WIDE, 0.2)]},
            'reportFooter': member_count(WIDE),
            'pageFooter': page_footer(WIDE),
        },
    })


def labels(name, title, with_title):
    lines = ['{jr.jrTitteli}'] if with_title else []
    lines += ['{jr.jrEtunimi} {jr.jrSukunimi}', '{jr.jrOsoite}', POSTAL]
    write(name, {
        'title': title,
        'page': {'size': 'A4', 'orientation': 'portrait', 'margins': {'top': 0.5, 'bottom': 0, 'left': 0, 'right': 0}},
        'font': {'name': 'Arial', 'size': 10},
        'data': {'table': 'jr', 'sort': BY_NAME},
        'labels': {'columns': 3, 'rows': 8, 'width': 70, 'height': 37, 'columnGap': 0, 'rowGap': 0,
                   'order': 'across'},
        'bands': {
            'detail': {'height': 37, 'items': [
                text('\n'.join(lines), 8, 8, 56, 24, dropEmptyLines=True)]},
        },
    })


def payment_history():
    columns = [('Lasku', 10, 18, 'right'), ('Laskupäivä', 32, 22), ('Eräpäivä', 56, 22), ('Summa', 80, 24, 'right'),
               ('Maksettu', 108, 18), ('Muistutus', 128, 18, 'right'), ('Muistutettu', 150, 25)]
    amount = {'format': 'amount', 'align': 'right'}
    write('jmmakhis.rpt', {
        'title': 'Jäsenien maksuhistoria',
        'page': page(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'jr',
                 'joins': [{'table': 'jmhist', 'type': 'left', 'from': 'jr.jrID', 'to': 'jmhist.jmhjmjrID'}],
                 'sort': BY_NAME},
        'formulas': {'Seurannimi': ''},
        'groups': [
            {'field': 'jr.jrID', 'afterSort': True, 'repeatHeader': True,
             'header': {'height': 7, 'items': [
                 field('jr.jrJasennumero', 0, 1.5, 14, font=BOLD), text(NAME, 15, 1.5, 70, font=BOLD),
                 text('{jr.jrOsoite}, ' + POSTAL, 86, 1.5, 89)]},
             'footer': {'height': 8, 'items': [
                 line(80, 0.5, 104), text('Yhteensä', 32, 1.2, 46),
                 dict({'type': 'sum', 'field': 'jmhist.jmhjmHinta', 'reset': 'group', 'x': 80, 'y': 1.2,
                       'width': 24, 'height': 5}, **amount),
                 dict({'type': 'sum', 'field': 'jmhist.jmhjmHinta', 'onlyIf': 'jmhist.jmhjmMaksettu',
                       'reset': 'group', 'text': 'maksettu ', 'x': 108, 'y': 1.2, 'width': 40, 'height': 5},
                      format='amount')]}},
            {'field': 'jmhist.jmhjmLaskupaiva', 'afterSort': True},
        ],
        'bands': {
            'pageHeader': page_frame('JÄSENIEN MAKSUHISTORIA', columns),
            'detail': {'height': 5, 'items': [
                field('jmhist.jmhjmLaskunumero', 10, 0, 18, format='integer', align='right'),
                field('jmhist.jmhjmLaskupaiva', 32, 0, 22, format='date'),
                field('jmhist.jmhjmErapaiva', 56, 0, 22, format='date'),
                dict(field('jmhist.jmhjmHinta', 80, 0, 24), **amount),
                field('jmhist.jmhjmMaksettu', 108, 0, 18, format='check'),
                field('jmhist.jmhjmMuistutusNumero', 128, 0, 18, format='integer', align='right',
                      blankWhenZero=True),
                field('jmhist.jmhjmMuistutusPaiva', 150, 0, 25, format='date')]},
            'reportFooter': {'height': 15, 'items': [
                line(0, 1, WIDTH, 0.8), text('Kaikki yhteensä', 32, 2.5, 46, font=BOLD),
                dict({'type': 'sum', 'field': 'jmhist.jmhjmHinta', 'reset': 'report', 'x': 80, 'y': 2.5,
                      'width': 24, 'height': 5, 'font': BOLD}, **amount),
                {'type': 'sum', 'field': 'jmhist.jmhjmHinta', 'onlyIf': 'jmhist.jmhjmMaksettu', 'reset': 'report',
                 'text': 'maksettu ', 'format': 'amount', 'x': 108, 'y': 2.5, 'width': 40, 'height': 5,
                 'font': BOLD},
                {'type': 'count', 'field': 'jmhist.jmhID', 'text': 'Laskuja: ', 'reset': 'report', 'x': 0, 'y': 8,
                 'width': 60, 'height': 5, 'font': {'italic': True}}]},
            'pageFooter': page_footer(),
        },
    })


def main():
    name_list()
    feature_list()
    wide_list()
    labels('jrosoite.rpt', 'Jäsenten osoitetarrat', False)
    labels('jrosoitt.rpt', 'Jäsenten osoitetarrat tittelillä', True)
    payment_history()


if __name__ == '__main__':
    main()
