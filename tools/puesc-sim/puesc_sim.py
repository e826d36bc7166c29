#!/usr/bin/env python3
"""Local stand-in for the customs platform's document web service.

Speaks the same SOAP 1.1 shapes as the client library (plugins/puesc_client/soap.h): accepts
a signed document, checks its WS-Security token and its XAdES signature, answers with a
SysRef, and produces the customs office's answers by scenario. GetDocuments returns what
waits, by correlation or by period, with PDF printouts as attachments.

  puesc_sim.py --port 0 --config scenario.json [--state DIR]

prints "PORT <n>" once listening. With --state the platform keeps what it holds in DIR and
finds it there after a restart, as the real office does: answers not yet fetched stay waiting. The scenario file is read again on every request, so a
test can change it between calls. Keys (all optional):
  users          {"login": "password"}          who may call (default agencja/haslo)
  answer_delay   seconds before answers of an upload become visible (default 0)
  fault          "slow" | "drop" | "garbage" | "error" | null   how every call misbehaves
  slow_seconds   how long "slow" sleeps (default 30)
  ie015          "accept" (IE928 + IE028) | "reject" (IE016)      default accept
  ie029_after    seconds after the IE028 at which the IE029 appears; "okres": with the next
                 download by period; null: never
  ie007          "IE043" | "IE008"                                  default IE043
  ie015 may also be "no_release": IE928 + IE028 + IE051 (no release; an IE054 asks again)
  ie014          "accept" | "refuse"    the IE009 grants or refuses the cancellation
  ie054          "accept" (IE029) | "refuse" (IE062)
  ie140_after    seconds after the release at which an IE140 enquiry comes; "okres" as above
  ie045_after    the same for the IE045 that ends the procedure
An IE013 is answered with an IE004, an IE044 with an IE025; an IE141 only with UPP and UPO.
A phase-5 message is answered the same way in CC messages (CC015C: CC928C, CC028C, CC029C or
CC056C/CC051C, CC045C; CC013C: CC004C; CC014C: CC009C; CC007C: CC043C or CC057C; CC044C: CC025C).
  verify         check XAdES signatures with xmlsec1 (default true)
  printouts      attach a PDF printout to every business answer (default true)
  backlog        number of extra IE928 documents waiting in every period (load tests)
"""

import argparse
import base64
import datetime as dt
import hashlib
import http.server
import json
import os
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import xml.etree.ElementTree as ET

SOAP = "http://schemas.xmlsoap.org/soap/envelope/"
WS = "http://www.mf.gov.pl/seap/wsChannel/2013/10/"
WSSE = "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd"
WSU = "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd"
NCTS = "http://www.mf.gov.pl/schematy/NCTS2/{}/2013/10/"
PLATFORM = "http://www.mf.gov.pl/schematy/PUESC/Dokument/2013/10/"
UPO_NS = "http://www.mf.gov.pl/schematy/PUESC/UPO/2013/10/"

# A tiny PDF: enough for a printout attachment to be stored and opened.
PDF = (b"%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj 2 0 obj<</Type/Pages/Count 0/Kids[]>>endobj\n"
       b"trailer<</Root 1 0 R>>\n%%EOF\n")


def now():
    return dt.datetime.now().replace(microsecond=0)


def iso(t):
    return t.strftime("%Y-%m-%dT%H:%M:%S")


def mrn_check(body):
    # ISO 6346 check character over the first 17 characters.
    total = 0
    for i, c in enumerate(body):
        if c.isdigit():
            v = int(c)
        else:
            v, n = 10, 0
            for ch in "ABCDEFGHIJKLMNOPQRSTUVWXYZ":
                if v % 11 == 0:
                    v += 1
                if ch == c:
                    break
                v += 1
        total += v * (2 ** i)
    return str(total % 11 % 10)


class State:
    def __init__(self, config_path, state_dir=None):
        self.config_path = config_path
        self.lock = threading.Lock()
        self.documents = []  # dicts: sysref, korelacja, name, content, attachments, visible_at, read
        self.counter = 0
        self.mrn_serial = 0
        self.path = os.path.join(state_dir, "platforma.json") if state_dir else None
        if self.path and os.path.exists(self.path):
            with open(self.path, encoding="utf-8") as f:
                saved = json.load(f)
            self.counter, self.mrn_serial = saved["counter"], saved["mrn_serial"]
            for d in saved["documents"]:
                d["content"] = base64.b64decode(d["content"])
                d["attachments"] = [(name, PDF) for name in d["attachments"]]
                d["created"] = dt.datetime.fromisoformat(d["created"])
                self.documents.append(d)

    def save(self):
        # Called under the lock after every request; written whole and renamed, so a platform
        # stopped mid-write keeps the previous state.
        if not self.path:
            return
        docs = [dict(d, content=base64.b64encode(d["content"]).decode(), attachments=[a[0] for a in d["attachments"]],
                     created=d["created"].isoformat()) for d in self.documents]
        tmp = self.path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump({"counter": self.counter, "mrn_serial": self.mrn_serial, "documents": docs}, f)
        os.replace(tmp, self.path)

    def config(self):
        try:
            with open(self.config_path, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def next_sysref(self):
        self.counter += 1
        return "SIM%s%06d" % (now().strftime("%Y%m%d"), self.counter)

    def add(self, korelacja, name, xml_text, visible_at, printout):
        sysref = self.next_sysref()
        attachments = [(name.rsplit(".", 1)[0] + ".pdf", PDF)] if printout else []
        self.documents.append({"sysref": sysref, "korelacja": korelacja, "name": name,
                               "content": xml_text.encode("utf-8"), "attachments": attachments,
                               "visible_at": visible_at, "read": False, "created": now()})


def ncts(code, header_attrs, body):
    attrs = " ".join('%s="%s"' % (k, v) for k, v in header_attrs.items() if v)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<%s xmlns="%s">\n  <Naglowek %s/>\n%s</%s>\n'
            % (code, NCTS.format(code), attrs, body, code))


def platform_notice(kind, title, own):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<ns6:Dokument xmlns:ns6="%s">\n'
            '  <ns6:UPP><ns6:DataDoreczenia>%s</ns6:DataDoreczenia></ns6:UPP>\n'
            '  <ns6:InformacjaUzupelniajaca TypInformacjiUzupelniajacej="typPowiadomieniaSkrot">%s</ns6:InformacjaUzupelniajaca>\n'
            '  <ns6:InformacjaUzupelniajaca TypInformacjiUzupelniajacej="typPowiadomienia">%s</ns6:InformacjaUzupelniajaca>\n'
            '  <ns6:InformacjaUzupelniajaca TypInformacjiUzupelniajacej="idDokumentuSystemZewnetrzny">%s</ns6:InformacjaUzupelniajaca>\n'
            '</ns6:Dokument>\n' % (PLATFORM, iso(now()), kind, title, own))


def upo(sysref, own, typ):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<UPO xmlns="%s" NumerIdentyfikacyjny="UPO%s" DataWytworzenia="%s" '
            'DataDoreczenia="%s" Wydajacy="Symulator platformy">\n  <Dokument NrWlasny="%s" Typ="%s"/>\n'
            '  <Tresc>Potwierdzenie przyjęcia dokumentu %s</Tresc>\n</UPO>\n'
            % (UPO_NS, sysref[3:], iso(now()), iso(now()), own, typ, typ))


def local(tag):
    return tag.rsplit("}", 1)[-1]


def verify_signature(data):
    with tempfile.NamedTemporaryFile(suffix=".xml", delete=False) as f:
        f.write(data)
        path = f.name
    try:
        r = subprocess.run(["xmlsec1", "--verify", "--insecure", "--enabled-reference-uris", "empty,same-doc",
                            "--id-attr:Id", "http://uri.etsi.org/01903/v1.3.2#:SignedProperties", path],
                           capture_output=True, timeout=30)
        return r.returncode == 0
    finally:
        os.unlink(path)


def answers_for(state, cfg, sysref, data):
    """Queues the customs office's answers to an accepted document."""
    delay = float(cfg.get("answer_delay", 0) or 0)
    at = time.time() + delay
    printout = cfg.get("printouts", True)
    if b"<!DOCTYPE" in data:
        state.add(sysref, "NPP.xml", platform_notice("NPP", "Negatywne poświadczenie przedłożenia", ""), at, False)
        return
    try:
        root = ET.fromstring(data)
    except ET.ParseError:
        state.add(sysref, "NPP.xml", platform_notice("NPP", "Negatywne poświadczenie przedłożenia", ""), at, False)
        return
    typ = local(root.tag)
    head = next((c for c in root if local(c.tag) == "Naglowek"), None)
    own = head.get("NrWlasny", "") if head is not None else ""
    if typ.startswith("CC"):
        own = root.findtext("messageIdentification", "")
    if cfg.get("verify", True) and not verify_signature(data):
        state.add(sysref, "NPP_%s.xml" % own, platform_notice("NPP", "Negatywne poświadczenie przedłożenia", own), at, False)
        return
    state.add(sysref, "UPP_%s.xml" % own, platform_notice("UPP", "Urzędowe poświadczenie przedłożenia", own), at, False)
    state.add(sysref, "UPO_%s.xml" % own, upo(sysref, own, typ), at, False)
    if typ.startswith("CC"):
        cc_answers(state, cfg, sysref, root, typ, own, at, printout)
        return
    office = "PL322010"
    if typ in ("IE015", "IE013"):
        uc = next((c for c in root if local(c.tag) == "UC"), None)
        if uc is not None and uc.get("Wyjscia"):
            office = uc.get("Wyjscia")
        towary = [c for c in root if local(c.tag) == "Towar"]
        if typ == "IE015" and (cfg.get("ie015", "accept") == "reject" or not towary):
            body = ('  <OdrzucenieZgloszenia DataOdrzucenia="%s" PowodOdrzucenia="Zgłoszenie zawiera błędy"/>\n'
                    '  <Blad PozId="1" Kod="12" Wskaznik="IE015/Towar" Przyczyna="R105" BlednaWartosc="" '
                    'Opis="Zgłoszenie odrzucone przez symulator"/>\n' % now().date())
            state.add(sysref, "IE016_%s.xml" % own, ncts("IE016", {"NrWlasny": "SIM016" + own[-8:], "DataUtworzenia": iso(now()),
                                                               "NrWlasnyKomunikatuPowiazanego": own}, body), at, printout)
            return
        if typ == "IE013":
            # An amendment is accepted for the MRN it names.
            mrn = head.get("MRN", "") if head is not None else ""
            state.add(sysref, "IE004_%s.xml" % own, ncts("IE004", {"NrWlasny": "SIM004" + own[-8:], "DataUtworzenia": iso(now()),
                                                               "MRN": mrn, "NrWlasnyKomunikatuPowiazanego": own},
                                                          '  <PrzyjecieZmian DataZlozenia="%s" UCZgloszenia="%s"/>\n'
                                                          % (now().date(), office)), at, printout)
            return
        if typ == "IE015":
            lrn = own
            state.add(sysref, "IE928_%s.xml" % own, ncts("IE928", {"NrWlasny": "SIM928" + own[-8:], "DataUtworzenia": iso(now()),
                                                               "NrWlasnyKomunikatuPowiazanego": own, "LRN": lrn},
                                                          '  <ZlozenieZgloszenia DataZlozenia="%s" UCZgloszenia="%s"/>\n'
                                                          % (now().date(), office)), at, printout)
            with state.lock:
                state.mrn_serial += 1
                serial = state.mrn_serial
            body = "%s%s%s" % (now().strftime("%y"), office[:8].ljust(8, "0"), "NS")
            body += "%04d" % (serial % 10000) + "A"
            mrn = body + mrn_check(body)
            state.add(sysref, "IE028_%s.xml" % own, ncts("IE028", {"NrWlasny": "SIM028" + own[-8:], "DataUtworzenia": iso(now()),
                                                               "MRN": mrn, "NrWlasnyKomunikatuPowiazanego": own, "LRN": lrn},
                                                          '  <Przyjecie DataPrzyjecia="%s" UCZgloszenia="%s"/>\n'
                                                          % (now().date(), office)), at, printout)
            if cfg.get("ie015") == "no_release":
                # The office refuses the release: the agency may ask again with an IE054.
                state.add(sysref, "IE051_%s.xml" % own,
                          ncts("IE051", {"NrWlasny": "SIM051" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                         "NrWlasnyKomunikatuPowiazanego": own},
                               '  <OdmowaZwolnienia DataOdmowy="%s" Powod="Brak wymaganych dokumentów" UCZgloszenia="%s"/>\n'
                               % (now().date(), office)), at, printout)
                return
            after = cfg.get("ie029_after")
            if after is not None:
                # "okres": held back until a download by period asks.
                when = float("inf") if after == "okres" else at + float(after)
                termin = (now() + dt.timedelta(days=8)).date()
                state.add(sysref, "IE029_%s.xml" % own,
                          ncts("IE029", {"NrWlasny": "SIM029" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                         "NrWlasnyKomunikatuPowiazanego": own},
                               '  <Zwolnienie DataZwolnienia="%s" UCZgloszenia="%s" TerminDostarczenia="%s"/>\n'
                               % (now().date(), office, termin)), when, printout)
                enquiry(state, cfg, sysref, mrn, office, when)
    elif typ == "IE014":
        # A cancellation is decided on: granted, or refused with the scenario's "ie014": "refuse".
        mrn = head.get("MRN", "") if head is not None else ""
        granted = "0" if cfg.get("ie014") == "refuse" else "1"
        state.add(sysref, "IE009_%s.xml" % own,
                  ncts("IE009", {"NrWlasny": "SIM009" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                 "NrWlasnyKomunikatuPowiazanego": own},
                       '  <DecyzjaOUniewaznieniu DataDecyzji="%s" Uzasadnienie="%s" DataWniosku="%s" UCZgloszenia="%s" '
                       'InicjowanaPrzezUC="0" DecyzjaDoWniosku="%s"/>\n'
                       % (now().date(), "Wniosek zasadny" if granted == "1" else "Towar został już zwolniony", now().date(),
                          office, granted)), at, printout)
    elif typ == "IE054":
        # A request for release: released (an IE029 for the declaration), or refused with "ie054": "refuse".
        mrn = head.get("MRN", "") if head is not None else ""
        if cfg.get("ie054") == "refuse":
            state.add(sysref, "IE062_%s.xml" % own,
                      ncts("IE062", {"NrWlasny": "SIM062" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                     "NrWlasnyKomunikatuPowiazanego": own},
                           '  <OdrzucenieWniosku DataOdrzucenia="%s" PowodOdrzucenia="Wniosek nieuzasadniony" DataWniosku="%s" '
                           'UCZgloszenia="PL322010" WniosekOZwolnienie="1"/>\n' % (now().date(), now().date())), at, printout)
        else:
            declaration = declaration_own(state, mrn)
            termin = (now() + dt.timedelta(days=8)).date()
            state.add(sysref, "IE029_%s.xml" % own,
                      ncts("IE029", {"NrWlasny": "SIM029" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                     "NrWlasnyKomunikatuPowiazanego": declaration},
                           '  <Zwolnienie DataZwolnienia="%s" UCZgloszenia="%s" TerminDostarczenia="%s"/>\n'
                           % (now().date(), office, termin)), at, printout)
    elif typ == "IE044":
        answers_for_unloading(state, cfg, sysref, root, head, own, at, printout)
    elif typ == "IE007":
        mrn = head.get("MRN", "") if head is not None else ""
        if cfg.get("ie007", "IE043") == "IE008":
            body = '  <OdrzucenieZawiadomienia DataOdrzucenia="%s" PowodOdrzucenia="Odrzucone przez symulator"/>\n' % now().date()
            code = "IE008"
        else:
            # The permission lists what the declaration carried: three items of the training transit.
            odbiorca = next((c for c in root if local(c.tag) == "Odbiorca"), None)
            o = {k: odbiorca.get(k, "") for k in ("Nazwa", "UlicaNumer", "KodPocztowy", "Miejscowosc", "Kraj", "TIN")} if odbiorca is not None else {}
            body = ('  <Rozladunek DataZezwolenia="%s" UCPrzeznaczenia="PL322020"/>\n'
                    '  <Tranzyt Deklaracja="T1" LiczbaPozycji="3" LiczbaOpakowan="25" MasaBrutto="1250.500"/>\n'
                    '  <UpowaznionyOdbiorca %s/>\n'
                    '  <Transport Znaki="GD12345" Kraj="PL"/>\n'
                    '  <ZamknieciaCelne Liczba="2"><Zamkniecie Znak="PL0001"/><Zamkniecie Znak="PL0002"/></ZamknieciaCelne>\n'
                    '  <Towar PozId="1" KodTowarowy="84713000" OpisTowaru="Komputery przenośne" MasaBrutto="500.000" MasaNetto="450.000">'
                    '<Opakowanie PozId="1" Rodzaj="CT" Znaki="BS/1" LiczbaOpakowan="10"/></Towar>\n'
                    '  <Towar PozId="2" KodTowarowy="94033011" OpisTowaru="Meble biurowe" MasaBrutto="700.500" MasaNetto="650.000">'
                    '<Opakowanie PozId="1" Rodzaj="PX" Znaki="MB/1" LiczbaOpakowan="14"/></Towar>\n'
                    '  <Towar PozId="3" KodTowarowy="95030000" OpisTowaru="Zabawki" MasaBrutto="50.000" MasaNetto="45.000">'
                    '<Opakowanie PozId="1" Rodzaj="BX" Znaki="Z/1" LiczbaOpakowan="1"/></Towar>\n'
                    % (now().date(), " ".join('%s="%s"' % (k, v) for k, v in o.items() if v)))
            code = "IE043"
        state.add(sysref, "%s_%s.xml" % (code, own), ncts(code, {"NrWlasny": "SIM%s%s" % (code[2:], own[-8:]), "DataUtworzenia": iso(now()),
                                                                  "MRN": mrn, "NrWlasnyKomunikatuPowiazanego": own}, body), at, printout)


def declaration_own(state, mrn):
    """The declaration's own number for an MRN this platform gave, from its IE028."""
    with state.lock:
        for d in state.documents:
            if d["name"].startswith("IE028_") and ('MRN="%s"' % mrn).encode() in d["content"]:
                head = ET.fromstring(d["content"]).find("{%s}Naglowek" % NCTS.format("IE028"))
                if head is not None:
                    return head.get("NrWlasnyKomunikatuPowiazanego", "")
    return ""


def enquiry(state, cfg, sysref, mrn, office, released_at):
    """After the release, with "ie140_after" the office of departure enquires about the transit and
    with "ie045_after" it ends the procedure: seconds after the release, or "okres" for the next
    download by period."""
    after = cfg.get("ie140_after")
    if after is not None:
        when = float("inf") if after == "okres" else released_at + float(after)
        state.add(sysref, "IE140_%s.xml" % mrn,
                  ncts("IE140", {"NrWlasny": "SIM140" + mrn[-8:], "DataUtworzenia": iso(now()), "MRN": mrn},
                       '  <Poszukiwanie CzasNaOdpowiedz="28" UCZgloszenia="%s" DataRozpoczecia="%s" UCPoszukiwania="%s"/>\n'
                       % (office, now().date(), office)), when, False)
    after = cfg.get("ie045_after")
    if after is not None:
        when = float("inf") if after == "okres" else released_at + float(after)
        state.add(sysref, "IE045_%s.xml" % mrn,
                  ncts("IE045", {"NrWlasny": "SIM045" + mrn[-8:], "DataUtworzenia": iso(now()), "MRN": mrn},
                       '  <Zamkniecie DataZamkniecia="%s" UCZgloszenia="%s"/>\n' % (now().date(), office)), when, False)


def answers_for_unloading(state, cfg, sysref, root, head, own, at, printout):
    """The release after the unloading remarks."""
    mrn = head.get("MRN", "") if head is not None else ""
    state.add(sysref, "IE025_%s.xml" % own, ncts("IE025", {"NrWlasny": "SIM025" + own[-8:], "DataUtworzenia": iso(now()), "MRN": mrn,
                                                       "NrWlasnyKomunikatuPowiazanego": own},
                                                  '  <Zwolnienie DataZwolnienia="%s" UCZgloszenia="PL322020"/>\n' % now().date()),
              at, printout)


# Phase 5: the EU's CC messages, elements unqualified below a root in the NCTS namespace.
CC_NS = "http://ncts.dgtaxud.ec"


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def el(name, *children):
    """An element: children are texts (its value) or elements; empty ones are left out."""
    inner = "".join(c for c in children if c)
    if not inner:
        return ""
    if len(children) == 1 and not children[0].startswith("<"):
        return "<%s>%s</%s>" % (name, esc(children[0]), name)
    return "<%s>%s</%s>" % (name, inner, name)


def cc(code, own, correlation, *body):
    number = "SIM%s%s" % (code[2:5], own[-12:])
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<ncts:%s xmlns:ncts="%s">%s%s%s%s%s%s%s</ncts:%s>\n'
            % (code, CC_NS, el("messageSender", "NTA.PL"), el("messageRecipient", "AGENCJA"),
               el("preparationDateAndTime", iso(now())), el("messageIdentification", number), el("messageType", code),
               el("correlationIdentifier", correlation), "".join(body), code))


def child(node, *path):
    for name in path:
        if node is None:
            return None
        node = node.find(name)
    return node


def text(node, *path):
    n = child(node, *path)
    return (n.text or "").strip() if n is not None else ""


def copy(node, name=None):
    """A received element written again unchanged (unqualified, as it came)."""
    if node is None:
        return ""
    inner = "".join(copy(c) for c in node) if len(node) else esc((node.text or "").strip())
    return "<%s>%s</%s>" % (name or node.tag, inner, name or node.tag)


def holder(root):
    h = root.find("HolderOfTheTransitProcedure")
    if h is None:
        return el("HolderOfTheTransitProcedure", el("name", "Nieznany"))
    return el("HolderOfTheTransitProcedure", el("identificationNumber", text(h, "identificationNumber")), el("name", text(h, "name")),
              copy(h.find("Address")))


def new_mrn(state, office):
    # Phase 5: the seventeenth character is the procedure, "J" for a transit.
    with state.lock:
        state.mrn_serial += 1
        serial = state.mrn_serial
    body = "%s%s%s" % (now().strftime("%y"), office[:8].ljust(8, "0"), "NS") + "%04d" % (serial % 10000) + "J"
    return body + mrn_check(body)


def release_cc029(root, lrn, mrn, office):
    """The release: the declaration as the office accepted it, with its items and seals."""
    op = root.find("TransitOperation")
    guarantees = ""
    for g in root.findall("Guarantee"):
        refs = "".join(el("GuaranteeReference", el("sequenceNumber", text(r, "sequenceNumber")), el("GRN", text(r, "GRN")),
                          el("amountToBeCovered", text(r, "amountToBeCovered") or "0.00"), el("currency", text(r, "currency") or "EUR"))
                       for r in g.findall("GuaranteeReference"))
        guarantees += el("Guarantee", el("sequenceNumber", text(g, "sequenceNumber")), el("guaranteeType", text(g, "guaranteeType")), refs)
    consignment = root.find("Consignment")
    equipment = "".join(copy(t) for t in consignment.findall("TransportEquipment"))
    houses = ""
    for h in consignment.findall("HouseConsignment"):
        items = ""
        for i in h.findall("ConsignmentItem"):
            c = i.find("Commodity")
            measure = child(c, "GoodsMeasure")
            code = child(c, "CommodityCode")
            items += el("ConsignmentItem", el("goodsItemNumber", text(i, "goodsItemNumber")),
                        el("declarationGoodsItemNumber", text(i, "declarationGoodsItemNumber")),
                        el("Commodity", el("descriptionOfGoods", text(c, "descriptionOfGoods")), copy(code),
                           el("GoodsMeasure", el("grossMass", text(measure, "grossMass") or "0"), el("netMass", text(measure, "netMass")))
                           if measure is not None else ""),
                        "".join(copy(p) for p in i.findall("Packaging")))
        houses += el("HouseConsignment", el("sequenceNumber", text(h, "sequenceNumber")), el("grossMass", text(h, "grossMass")), items)
    return (el("TransitOperation", el("LRN", lrn), el("MRN", mrn), el("declarationType", text(op, "declarationType")),
               el("additionalDeclarationType", text(op, "additionalDeclarationType") or "A"),
               el("declarationAcceptanceDate", str(now().date())), el("releaseDate", str(now().date())),
               el("security", text(op, "security") or "0"), el("reducedDatasetIndicator", "0"), el("bindingItinerary", "0")),
            el("CustomsOfficeOfDeparture", el("referenceNumber", office)),
            el("CustomsOfficeOfDestinationDeclared", el("referenceNumber", text(root, "CustomsOfficeOfDestinationDeclared", "referenceNumber"))),
            holder(root), guarantees,
            el("Consignment", el("containerIndicator", text(consignment, "containerIndicator") or "0"),
               el("grossMass", text(consignment, "grossMass")), equipment, houses))


def cc_answers(state, cfg, sysref, root, typ, own, at, printout):
    """Phase 5 answers, as the office gives the phase-4 ones."""
    office = text(root, "CustomsOfficeOfDeparture", "referenceNumber") or "PL322010"
    mrn = text(root, "TransitOperation", "MRN")
    today = iso(now())
    if typ == "CC015C":
        lrn = text(root, "TransitOperation", "LRN")
        items = root.findall("Consignment/HouseConsignment/ConsignmentItem")
        if cfg.get("ie015", "accept") == "reject" or not items:
            state.add(sysref, "CC056C_%s.xml" % own,
                      cc("CC056C", own, own,
                         el("TransitOperation", el("LRN", lrn), el("businessRejectionType", "015"), el("rejectionDateAndTime", today),
                            el("rejectionCode", "12"), el("rejectionReason", "Zgłoszenie zawiera błędy")),
                         el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root),
                         el("FunctionalError", el("errorPointer", "/CC015C/Consignment/HouseConsignment"), el("errorCode", "12"),
                            el("errorReason", "R105"))), at, printout)
            return
        state.add(sysref, "CC928C_%s.xml" % own,
                  cc("CC928C", own, own, el("TransitOperation", el("LRN", lrn)), el("CustomsOfficeOfDeparture", el("referenceNumber", office)),
                     holder(root)), at, printout)
        mrn = new_mrn(state, office)
        state.add(sysref, "CC028C_%s.xml" % own,
                  cc("CC028C", own, own, el("TransitOperation", el("LRN", lrn), el("MRN", mrn), el("declarationAcceptanceDate", str(now().date()))),
                     el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root)), at, printout)
        if cfg.get("ie015") == "no_release":
            state.add(sysref, "CC051C_%s.xml" % own,
                      cc("CC051C", own, own,
                         el("TransitOperation", el("MRN", mrn), el("declarationSubmissionDateAndTime", today),
                            el("noReleaseMotivationCode", "01"), el("noReleaseMotivationText", "Brak wymaganych dokumentów")),
                         el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root)), at, printout)
            return
        after = cfg.get("ie029_after")
        if after is not None:
            when = float("inf") if after == "okres" else at + float(after)
            state.add(sysref, "CC029C_%s.xml" % own, cc("CC029C", own, own, *release_cc029(root, lrn, mrn, office)), when, printout)
            after = cfg.get("ie045_after")
            if after is not None:
                end = float("inf") if after == "okres" else when + float(after)
                state.add(sysref, "CC045C_%s.xml" % mrn,
                          cc("CC045C", mrn, "", el("TransitOperation", el("MRN", mrn), el("writeOffDate", str(now().date()))),
                             el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root)), end, False)
    elif typ == "CC013C":
        state.add(sysref, "CC004C_%s.xml" % own,
                  cc("CC004C", own, own,
                     el("TransitOperation", el("MRN", mrn), el("amendmentSubmissionDateAndTime", today), el("amendmentAcceptanceDateAndTime", today)),
                     el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root)), at, printout)
    elif typ == "CC014C":
        granted = "0" if cfg.get("ie014") == "refuse" else "1"
        state.add(sysref, "CC009C_%s.xml" % own,
                  cc("CC009C", own, own, el("TransitOperation", el("MRN", mrn)),
                     el("Invalidation", el("requestDateAndTime", today), el("decisionDateAndTime", today), el("decision", granted),
                        el("initiatedByCustoms", "0"),
                        el("justification", "Wniosek zasadny" if granted == "1" else "Towar został już zwolniony")),
                     el("CustomsOfficeOfDeparture", el("referenceNumber", office)), holder(root)), at, printout)
    elif typ == "CC007C":
        destination = text(root, "CustomsOfficeOfDestinationActual", "referenceNumber") or "PL322020"
        trader = text(root, "TraderAtDestination", "identificationNumber")
        if cfg.get("ie007", "IE043") == "IE008":
            state.add(sysref, "CC057C_%s.xml" % own,
                      cc("CC057C", own, own,
                         el("TransitOperation", el("MRN", mrn), el("businessRejectionType", "007"), el("rejectionDateAndTime", today),
                            el("rejectionCode", "12"), el("rejectionReason", "Odrzucone przez symulator")),
                         el("CustomsOfficeOfDestinationActual", el("referenceNumber", destination)),
                         el("TraderAtDestination", el("identificationNumber", trader))), at, printout)
            return
        # The permission lists what the declaration carried: three items of the training transit.
        goods = [("1", "Komputery przenośne", "847130", "00", "500.000", "450.000", "CT", "10", "BS/1"),
                 ("2", "Meble biurowe", "940330", "11", "700.500", "650.000", "PX", "14", "MB/1"),
                 ("3", "Zabawki", "950300", "00", "50.000", "45.000", "BX", "1", "Z/1")]
        items = "".join(
            el("ConsignmentItem", el("goodsItemNumber", n), el("declarationGoodsItemNumber", n),
               el("Commodity", el("descriptionOfGoods", d), el("CommodityCode", el("harmonizedSystemSubHeadingCode", hs), el("combinedNomenclatureCode", cn)),
                  el("GoodsMeasure", el("grossMass", gm), el("netMass", nm))),
               el("Packaging", el("sequenceNumber", "1"), el("typeOfPackages", tp), el("numberOfPackages", np), el("shippingMarks", sm)))
            for n, d, hs, cn, gm, nm, tp, np, sm in goods)
        state.add(sysref, "CC043C_%s.xml" % own,
                  cc("CC043C", own, own,
                     el("TransitOperation", el("MRN", mrn), el("declarationType", "T1"), el("security", "0"), el("reducedDatasetIndicator", "0")),
                     el("CustomsOfficeOfDestinationActual", el("referenceNumber", destination)),
                     el("TraderAtDestination", el("identificationNumber", trader or "PL584000001100000")),
                     el("Consignment", el("containerIndicator", "0"), el("grossMass", "1250.5"),
                        el("TransportEquipment", el("sequenceNumber", "1"), el("numberOfSeals", "2"),
                           el("Seal", el("sequenceNumber", "1"), el("identifier", "PL0001")),
                           el("Seal", el("sequenceNumber", "2"), el("identifier", "PL0002"))),
                        el("DepartureTransportMeans", el("sequenceNumber", "1"), el("typeOfIdentification", "30"),
                           el("identificationNumber", "GD12345"), el("nationality", "PL")),
                        el("HouseConsignment", el("sequenceNumber", "1"), el("grossMass", "1250.5"), items))), at, printout)
    elif typ == "CC044C":
        state.add(sysref, "CC025C_%s.xml" % own,
                  cc("CC025C", own, own, el("TransitOperation", el("MRN", mrn), el("releaseDate", str(now().date())), el("releaseIndicator", "1")),
                     el("CustomsOfficeOfDestinationActual", el("referenceNumber", text(root, "CustomsOfficeOfDestinationActual", "referenceNumber"))),
                     el("TraderAtDestination", el("identificationNumber", text(root, "TraderAtDestination", "identificationNumber")))),
                  at, printout)


def fault(code, text):
    return ('<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv="%s"><soapenv:Body><soapenv:Fault>'
            '<faultcode>soapenv:Server</faultcode><faultstring>%s: %s</faultstring></soapenv:Fault></soapenv:Body>'
            '</soapenv:Envelope>' % (SOAP, code, text))


def envelope(body):
    return ('<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv="%s" xmlns:ws="%s"><soapenv:Body>%s'
            '</soapenv:Body></soapenv:Envelope>' % (SOAP, WS, body))


def check_token(cfg, header):
    users = cfg.get("users") or {"agencja": "haslo"}
    if header is None:
        return False
    token = header.find(".//{%s}UsernameToken" % WSSE)
    if token is None:
        return False
    user = (token.findtext("{%s}Username" % WSSE) or "").strip()
    digest = (token.findtext("{%s}Password" % WSSE) or "").strip()
    nonce = base64.b64decode(token.findtext("{%s}Nonce" % WSSE) or "")
    created = (token.findtext("{%s}Created" % WSU) or "").strip()
    if user not in users:
        return False
    password_hash = base64.b64encode(hashlib.sha1(users[user].encode("utf-8")).digest())
    expected = base64.b64encode(hashlib.sha1(nonce + created.encode("ascii") + password_hash).digest()).decode()
    try:
        when = dt.datetime.strptime(created, "%Y-%m-%dT%H:%M:%SZ")
    except ValueError:
        return False
    return expected == digest and abs((dt.datetime.utcnow() - when).total_seconds()) <= 300


def document_xml(d):
    out = "<document><sysRef>%s</sysRef><korelacjaSysref>%s</korelacjaSysref>" % (d["sysref"], d["korelacja"] or "")
    out += '<content filename="%s" mime="application/xml">%s</content>' % (d["name"], base64.b64encode(d["content"]).decode())
    if d["attachments"]:
        out += "<attachments>"
        for name, data in d["attachments"]:
            out += '<content filename="%s" mime="application/pdf">%s</content>' % (name, base64.b64encode(data).decode())
        out += "</attachments>"
    return out + "</document>"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        if os.environ.get("PUESC_SIM_VERBOSE"):
            sys.stderr.write("puesc-sim: " + fmt % args + "\n")

    def reply(self, status, text):
        data = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        self.reply(200, "<status>puesc-sim</status>")

    def do_POST(self):
        state = self.server.state
        cfg = state.config()
        length = int(self.headers.get("Content-Length", "0"))
        raw = self.rfile.read(length)
        misbehave = cfg.get("fault")
        if misbehave == "slow":
            time.sleep(float(cfg.get("slow_seconds", 30)))
        elif misbehave == "drop":
            self.close_connection = True
            self.connection.shutdown(2)
            return
        elif misbehave == "garbage":
            self.reply(200, "to nie jest odpowiedź SOAP <<<")
            return
        elif misbehave == "error":
            self.reply(500, fault("B010", "SEAP w trybie awaryjnym"))
            return
        if b"<!DOCTYPE" in raw:
            self.reply(500, fault("B006", "Niedozwolona deklaracja DOCTYPE"))
            return
        try:
            env = ET.fromstring(raw)
        except ET.ParseError:
            self.reply(500, fault("B006", "Niepoprawne żądanie"))
            return
        header = env.find("{%s}Header" % SOAP)
        body = env.find("{%s}Body" % SOAP)
        request = body[0] if body is not None and len(body) else None
        if request is None:
            self.reply(500, fault("B006", "Puste żądanie"))
            return
        if not check_token(cfg, header):
            self.reply(500, fault("SecurityError", "A security error was encountered when verifying the message"))
            return
        name = local(request.tag)
        if name == "AcceptDocumentRequest":
            content = request.find("document/content")
            if content is None or not (content.text or "").strip():
                self.reply(500, fault("B006", "Brak treści dokumentu"))
                return
            data = base64.b64decode(content.text)
            with state.lock:
                sysref = state.next_sysref()
            answers_for(state, cfg, sysref, data)
            with state.lock:
                state.save()
            self.reply(200, envelope("<ws:AcceptDocumentResponse><result><sysRef>%s</sysRef></result></ws:AcceptDocumentResponse>" % sysref))
        elif name == "GetDocumentsRequest":
            korelacja = (request.findtext("korelacjaSysref") or "").strip()
            pobrany = request.findtext("pobrany")
            od, do = request.findtext("dataOd"), request.findtext("dataDo")
            t = time.time()
            with state.lock:
                self.add_backlog(state, cfg, od, do)
                if not korelacja:
                    for d in state.documents:
                        if d["visible_at"] == float("inf"):
                            d["visible_at"] = t
                found = [d for d in state.documents if d["visible_at"] <= t
                         and (not korelacja or d["korelacja"] == korelacja)
                         and (pobrany is None or pobrany.strip() != "0" or not d["read"])
                         and (korelacja or self.in_period(d, od, do))]
                found = found[:100]
                for d in found:
                    d["read"] = True
                state.save()
            self.reply(200, envelope("<ws:GetDocumentsResponse>%s</ws:GetDocumentsResponse>" % "".join(document_xml(d) for d in found)))
        else:
            self.reply(500, fault("B006", "Nieznana operacja " + name))

    @staticmethod
    def in_period(d, od, do):
        day = d["created"].date().isoformat()
        return (not od or day >= od[:10]) and (not do or day <= do[:10])

    @staticmethod
    def add_backlog(state, cfg, od, do):
        # Documents waiting on the platform from earlier days: a batch for every period asked.
        count = int(cfg.get("backlog", 0) or 0)
        key = "backlog:%s:%s" % (od, do)
        if not count or any(d["korelacja"] == key for d in state.documents):
            return
        for i in range(count):
            own = "24IE015%07d" % (9000000 + i)
            state.add(key, "IE928_%05d.xml" % i,
                      ncts("IE928", {"NrWlasny": "SIMB%06d" % i, "DataUtworzenia": iso(now()), "NrWlasnyKomunikatuPowiazanego": own,
                                     "LRN": own}, '  <ZlozenieZgloszenia DataZlozenia="%s" UCZgloszenia="PL322010"/>\n' % now().date()),
                      0, False)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    p = argparse.ArgumentParser(description="Local customs platform simulator")
    p.add_argument("--port", type=int, default=18089)
    p.add_argument("--config", required=True)
    p.add_argument("--state", help="directory where the platform keeps what it holds across restarts")
    args = p.parse_args()
    if args.state:
        os.makedirs(args.state, exist_ok=True)
    server = Server(("127.0.0.1", args.port), Handler)
    server.state = State(args.config, args.state)
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
