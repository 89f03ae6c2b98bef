#!/usr/bin/env python3
"""Writes the contract list report files of reports/ (areas by animal, village, landowner and
contract feature, the compact lists over the summary table mvs, and the rent list). They share
one page frame; edit it here and run this script again:
    python3 tools/make_contract_reports.py"""
from report_items import BOLD, WIDE, WIDTH, field, formula, line, page_footer, page_frame, text, write
from report_items import page as portrait

UNTIL_NOTICE = '1'  # vsVoimassa of a contract valid until further notice


def validity(x, y, w, prefix='', table='vs', start='vsVoimassaAlkaen', end='vsVoimassaPaattyy', **kw):
    """The validity of a contract: its dates, or "Toistaiseksi" for one valid until notice."""
    condition = {'field': table + '.' + table + 'Voimassa', 'equals': UNTIL_NOTICE}
    dates = '{%s.%s} - {%s.%s}' % (table, start, table, end)
    until = prefix + ('toistaiseksi' if prefix else 'Toistaiseksi')
    return [text(prefix + dates, x, y, w, printUnless=condition, **kw),
            text(until, x, y, w, printIf=condition, **kw)]
TOTAL_CAPTION = 'Kaikki yhteensä (ha):'


def area_sum(name, x, y, w, reset, **kw):
    d = {'type': 'sum', 'field': name, 'reset': reset, 'format': 'number', 'x': x, 'y': y, 'width': w,
         'height': 5, 'align': 'right'}
    d.update(kw)
    return d


def totals_footer(sum_field, extra=None, **sum_kw):
    items = [line(0, 1, WIDTH, 0.8), text(TOTAL_CAPTION, 90, 2.5, 55, font=BOLD),
             area_sum(sum_field, 145, 2.5, 30, 'report', font=BOLD, **sum_kw)]
    if extra:
        items += extra
    return {'height': 9 if not extra else 15, 'items': items}


def by_contract(name, title, period, detailed):
    """Areas of the selected contracts, contract by contract, for the animal lists."""
    columns = [('Tila', 10, 50), ('Rekisterinumero', 60, 35), ('Kunta, kylä', 95, 50), ('Ala (ha)', 145, 30, 'right')]
    header = [field('vs.vsNimi', 0, 1, 90, font=BOLD), text('Sopimus {vs.vsSopimusNo}', 90, 1, 35)]
    if period:
        header += validity(125, 1, 50, 'Voimassa ', align='right')
    height = 7
    if detailed:
        header.append(field('vs.vsEiKoskeSeuraavia', 10, 6, 165, font={'italic': True}))
        height = 12
    formulas = {'Seurannimi': '', 'VoimassaoloTeksti': '', 'Ryhmateksti': ''}
    footer_extra = None
    if detailed:
        formulas['ValTotalPASum'] = ''
        footer_extra = [text('Valittujen sopimusten pinta-ala: {@ValTotalPASum} ha', 0, 8.5, WIDTH, font={'italic': True})]
    write(name, {
        'title': title.capitalize(),
        'page': portrait(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'vs', 'joins': [{'table': 'tl', 'type': 'left', 'from': 'vs.vsID', 'to': 'tl.tlvsID'}],
                 'sort': ['+{tl.tlID}']},
        'formulas': formulas,
        'groups': [
            {'field': 'vs.vsNimi'},
            {'field': 'vs.vsID', 'repeatHeader': True,
             'header': {'height': height, 'items': header},
             'footer': {'height': 7, 'items': [line(145, 0.5, WIDTH), text('Yhteensä', 95, 1.2, 50),
                                               area_sum('tl.tlPa', 145, 1.2, 30, 'group2')]}},
        ],
        'bands': {
            'pageHeader': page_frame(title, ['Ryhmateksti', 'VoimassaoloTeksti'], columns),
            'detail': {'height': 5, 'items': [
                field('tl.tlTilaPalsta', 10, 0, 49), field('tl.tlRekNo', 60, 0, 34),
                text('{tl.tlKunta}, {tl.tlKyla}', 95, 0, 49),
                field('tl.tlPa', 145, 0, 30, format='number', align='right')]},
            'reportFooter': totals_footer('tl.tlPa', footer_extra),
            'pageFooter': page_footer(),
        },
    })


def by_village(name, period):
    title = 'ALUEET KYLITTÄIN'
    columns = [('Vuokranantaja', 5, 45), ('Tila', 50, 30), ('Rekisterinumero', 80, 28)]
    detail = [field('vs.vsNimi', 5, 0, 44), field('tl.tlTilaPalsta', 50, 0, 29), field('tl.tlRekNo', 80, 0, 27),
              field('tl.tlPa', 145, 0, 30, format='number', align='right')]
    if period:
        columns.append(('Voimassa', 108, 37))
        detail += validity(108, 0.5, 37, font={'size': 8})
    columns.append(('Ala (ha)', 145, 30, 'right'))
    write(name, {
        'title': 'Alueet kylittäin',
        'page': portrait(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'tl', 'joins': [{'table': 'vs', 'type': 'inner', 'from': 'tl.tlvsID', 'to': 'vs.vsID'}],
                 'sort': ['+{vs.vsNimi}', '+{tl.tlID}']},
        'formulas': {'Seurannimi': '', 'VoimassaoloTeksti': ''},
        'groups': [
            {'field': 'tl.tlKunta'},
            {'field': 'tl.tlKyla', 'repeatHeader': True,
             'header': {'height': 7, 'items': [text('{tl.tlKunta}, {tl.tlKyla}', 0, 1, 120, font=BOLD)]},
             'footer': {'height': 7, 'items': [line(145, 0.5, WIDTH), text('Kylä yhteensä', 90, 1.2, 55),
                                               area_sum('tl.tlPa', 145, 1.2, 30, 'group2')]}},
        ],
        'bands': {
            'pageHeader': page_frame(title, ['VoimassaoloTeksti'], columns),
            'detail': {'height': 5, 'items': detail},
            'reportFooter': totals_footer('tl.tlPa'),
            'pageFooter': page_footer(),
        },
    })


def by_landowner(name, period):
    title = 'ALUEET MAANOMISTAJITTAIN'
    columns = [('Tila', 10, 45), ('Rekisterinumero', 55, 35), ('Kunta, kylä', 90, 55), ('Ala (ha)', 145, 30, 'right')]
    header = [field('vs.vsNimi', 0, 1, 70, font=BOLD),
              text('{vs.vsOsoite}, {vs.vsPostinumero} {vs.vsPostitoimipaikka}', 70, 1, 70 if period else 105)]
    if period:
        header += validity(140, 1, 35, align='right', font={'size': 8})
    write(name, {
        'title': 'Alueet maanomistajittain',
        'page': portrait(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'tl', 'joins': [{'table': 'vs', 'type': 'inner', 'from': 'tl.tlvsID', 'to': 'vs.vsID'}],
                 'sort': ['+{tl.tlID}']},
        'formulas': {'Seurannimi': '', 'VoimassaoloTeksti': ''},
        'groups': [
            {'field': 'vs.vsNimi'},
            {'field': 'vs.vsID', 'repeatHeader': True,
             'header': {'height': 7, 'items': header},
             'footer': {'height': 7, 'items': [line(145, 0.5, WIDTH), text('Yhteensä', 90, 1.2, 55),
                                               area_sum('tl.tlPa', 145, 1.2, 30, 'group2')]}},
        ],
        'bands': {
            'pageHeader': page_frame(title, ['VoimassaoloTeksti'], columns),
            'detail': {'height': 5, 'items': [
                field('tl.tlTilaPalsta', 10, 0, 44), field('tl.tlRekNo', 55, 0, 34),
                text('{tl.tlKunta}, {tl.tlKyla}', 90, 0, 54),
                field('tl.tlPa', 145, 0, 30, format='number', align='right')]},
            'reportFooter': totals_footer('tl.tlPa'),
            'pageFooter': page_footer(),
        },
    })


def by_feature(name, period):
    title = 'ALUEET OMINAISUUDELLA'
    columns = [('Tila', 10, 45), ('Rekisterinumero', 55, 35), ('Kunta, kylä', 90, 55), ('Ala (ha)', 145, 30, 'right')]
    values = '{mt.mtValDate} {mt.mtValLong} {mt.mtValCurrency}'
    header = [field('vs.vsNimi', 0, 1, 70, font=BOLD), text(values, 70, 1, 70 if period else 105)]
    if period:
        header += validity(140, 1, 35, align='right', font={'size': 8})
    write(name, {
        'title': 'Alueet ominaisuudella',
        'page': portrait(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'vs',
                 'joins': [{'table': 'mt', 'type': 'inner', 'from': 'vs.vsID', 'to': 'mt.mtvsID'},
                           {'table': 'pi', 'type': 'inner', 'from': 'mt.mtpiID', 'to': 'pi.piID'},
                           {'table': 'tl', 'type': 'left', 'from': 'vs.vsID', 'to': 'tl.tlvsID'}],
                 'sort': ['+{tl.tlID}']},
        'formulas': {'Seurannimi': ''},
        'groups': [
            {'field': 'pi.piNimi', 'repeatHeader': True,
             'header': {'height': 8, 'items': [text('Ominaisuus: {pi.piNimi}', 0, 1, WIDTH, 6,
                                                    font={'size': 12, 'bold': True})]}},
            {'field': 'vs.vsNimi'},
            {'field': 'mt.mtID', 'repeatHeader': True,
             'header': {'height': 7, 'items': header},
             'footer': {'height': 7, 'items': [line(145, 0.5, WIDTH), text('Yhteensä', 90, 1.2, 55),
                                               area_sum('tl.tlPa', 145, 1.2, 30, 'group3', once='tl.tlID')]}},
        ],
        'bands': {
            'pageHeader': page_frame(title, [], columns),
            'detail': {'height': 5, 'items': [
                field('tl.tlTilaPalsta', 10, 0, 44), field('tl.tlRekNo', 55, 0, 34),
                text('{tl.tlKunta}, {tl.tlKyla}', 90, 0, 54),
                field('tl.tlPa', 145, 0, 30, format='number', align='right')]},
            'reportFooter': totals_footer('tl.tlPa', once='tl.tlID'),
            'pageFooter': page_footer(),
        },
    })


def compact(name, title, subtitles):
    """One row per summary row of mvs by lessor; the rows of one contract stay together in the order the
    rebuild wrote them."""
    columns = [('Vuokranantaja', 0, 34), ('Kunta, kylä', 34, 38), ('Tilat', 72, 50), ('Voimassa', 123, 32),
               ('Ala (ha)', 155, 20, 'right')]
    formulas = {'Seurannimi': ''}
    for s in subtitles:
        formulas[s] = ''
    write(name, {
        'title': title.capitalize(),
        'page': portrait(),
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'mvs', 'sort': ['+{mvs.mvsOmistaja}', '+{mvs.mvsvsID}', '+{mvs.mvsID}']},
        'formulas': formulas,
        'bands': {
            'pageHeader': page_frame(title, subtitles, columns),
            'detail': {'height': 5.5, 'items': [
                field('mvs.mvsOmistaja', 0, 0.5, 33, wrap=True), field('mvs.mvsKunta', 34, 0.5, 37, wrap=True),
                field('mvs.mvsTilat', 72, 0.5, 50, wrap=True),
                *validity(123, 0.8, 32, table='mvs', start='mvsAlkaa', end='mvsLoppuu', font={'size': 8}, wrap=True),
                field('mvs.mvsAla', 155, 0.5, 20, format='number', align='right')]},
            'reportFooter': {'height': 9, 'items': [
                line(0, 1, WIDTH, 0.8), text(TOTAL_CAPTION, 100, 2.5, 55, font=BOLD),
                area_sum('mvs.mvsAla', 155, 2.5, 20, 'report', font=BOLD)]},
            'pageFooter': page_footer(),
        },
    })


def rents():
    columns = [('Vuokranantaja', 0, 55), ('Sopimus', 55, 20), ('Vastike', 75, 30), ('Vuosivastike', 105, 25, 'right'),
               ('Eräpäivä', 133, 22), ('Kausivastike', 155, 25, 'right'), ('Eräpäivä', 183, 22),
               ('Pankkiyhteys', 207, 55)]
    kinds = {'1': 'Ei vastiketta', '2': 'Vuosivastike', '3': 'Kausivastike', '4': 'Muu vastike', '': ''}
    write('mvluets2.rpt', {
        'title': 'Sopimusvastikkeet',
        'page': {'size': 'A4', 'orientation': 'landscape',
                 'margins': {'top': 15, 'bottom': 15, 'left': 20, 'right': 15}},
        'font': {'name': 'Times New Roman', 'size': 10},
        'data': {'table': 'vs', 'sort': ['+{vs.vsNimi}']},
        'formulas': {'Seurannimi': ''},
        'bands': {
            'pageHeader': page_frame('SOPIMUSVASTIKKEET', [], columns, WIDE),
            'detail': {'height': 5.5, 'items': [
                field('vs.vsNimi', 0, 0.5, 54), field('vs.vsSopimusNo', 55, 0.5, 19),
                field('vs.vsVastike', 75, 0.5, 29, values=kinds),
                field('vs.vsVastikeVuosi', 105, 0.5, 25, format='amount', align='right', blankWhenZero=True),
                field('vs.vsVastikeVuosiErapaiva', 133, 0.5, 22, format='date'),
                field('vs.vsVastikeKausi', 155, 0.5, 25, format='amount', align='right', blankWhenZero=True),
                field('vs.vsVastikeKausiErapaiva', 183, 0.5, 22, format='date'),
                field('vs.vsVastikePankkiYhteys', 207, 0.5, 55)]},
            'reportFooter': {'height': 15, 'items': [
                line(0, 1, WIDE, 0.8), text('Yhteensä:', 55, 2.5, 45, font=BOLD),
                {'type': 'sum', 'field': 'vs.vsVastikeVuosi', 'reset': 'report', 'format': 'amount', 'x': 105,
                 'y': 2.5, 'width': 25, 'height': 5, 'align': 'right', 'font': BOLD},
                {'type': 'sum', 'field': 'vs.vsVastikeKausi', 'reset': 'report', 'format': 'amount', 'x': 155,
                 'y': 2.5, 'width': 25, 'height': 5, 'align': 'right', 'font': BOLD},
                {'type': 'count', 'text': 'Sopimuksia: ', 'reset': 'report', 'x': 0, 'y': 8, 'width': 60,
                 'height': 5, 'font': {'italic': True}}]},
            'pageFooter': page_footer(WIDE),
        },
    })


def main():
    by_contract('mvluete2.rpt', 'ALUEET ELÄIMITTÄIN', True, False)
    by_contract('mvluete3.rpt', 'ALUEET ELÄIMITTÄIN', False, False)
    by_contract('mvluetel.rpt', 'ALUEET ELÄIMITTÄIN', True, True)
    by_contract('mvluete4.rpt', 'ALUEET ELÄIMITTÄIN', False, True)
    compact('mvluetet.rpt', 'ALUEET ELÄIMITTÄIN (TIIVIS)', ['Ryhmateksti', 'VoimassaoloTeksti'])
    by_village('mvluetl2.rpt', True)
    by_village('mvluetl3.rpt', False)
    by_landowner('mvluetle.rpt', True)
    by_landowner('mvluetl4.rpt', False)
    compact('mvlueto2.rpt', 'ALUEET MAANOMISTAJITTAIN (TIIVIS)', [])
    by_feature('mvluetom.rpt', True)
    by_feature('mvlueto3.rpt', False)
    compact('mvluetot.rpt', 'ALUEET OMINAISUUDELLA (TIIVIS)', [])
    rents()


if __name__ == '__main__':
    main()
