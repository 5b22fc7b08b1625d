#include "quorvane_native/events/catalogue.hpp"

#include <algorithm>
#include <array>

#include "zelk/events/matcher.hpp"

namespace quorvane_native::events {
namespace {

constexpr std::array<std::string_view, 126> EVENT_TYPES{
    "de.accounting.abschlag.posted",
    "de.accounting.abwendung.angeboten",
    "de.accounting.abwendung.gebrochen",
    "de.accounting.bankruecklast",
    "de.accounting.eeg.payout.rejected",
    "de.accounting.entsperrauftrag",
    "de.accounting.erstattung.faellig",
    "de.accounting.interest.charged",
    "de.accounting.jahresabschluss.abgeschlossen",
    "de.accounting.mahnung.issued",
    "de.accounting.payee.verification-mismatch",
    "de.accounting.payment.due",
    "de.accounting.payment.imported",
    "de.accounting.sepa.collection-rejected",
    "de.accounting.sepa.recall-requested",
    "de.accounting.sepa.recall-resolved",
    "de.accounting.sepa.reversal-issued",
    "de.accounting.sperrandrohung",
    "de.accounting.sperrankuendigung",
    "de.accounting.sperrauftrag",
    "de.agent.decision.made",
    "de.billing.abrechnungsinformation.monatlich",
    "de.billing.rechnung.erstellt",
    "de.billing.xrechnung.b2g.ready",
    "de.eeg.anlage.foerderung-auslaufend",
    "de.eeg.anlage.mastr-registriert",
    "de.eeg.marktpraemie.berechnet",
    "de.eeg.settlement.batch-due",
    "de.eeg.veraeusserungsform.gewechselt",
    "de.eeg.verguetung.berechnet",
    "de.gabi.allocation.completed",
    "de.gabi.alocat.final.deadline",
    "de.gabi.alocat.missing",
    "de.gabi.correction.created",
    "de.gabi.imbalance.calculated",
    "de.gabi.invoic.kapazitaet.received",
    "de.gabi.invoic.mmm.received",
    "de.gabi.measurement.received",
    "de.gabi.nomination.confirmed",
    "de.gabi.nomination.created",
    "de.gabi.nomination.curtailed",
    "de.gabi.nomination.rejected",
    "de.gabi.nomres.missing",
    "de.gabi.quality.violation",
    "de.invoic.payment.overdue",
    "de.invoic.receipt.dispatched",
    "de.invoic.receipt.disputed",
    "de.invoic.receipt.settled",
    "de.mabis.korrekturbedarf.opened",
    "de.mabis.submission.failed",
    "de.markt.einwilligung.erteilt",
    "de.markt.einwilligung.widerrufen",
    "de.markt.geraet.konfiguration.updated",
    "de.markt.malo.stammdaten-geaendert",
    "de.markt.malo.updated",
    "de.markt.melo.updated",
    "de.markt.mmma.import.failed",
    "de.markt.mmma.import.success",
    "de.markt.msb-rahmenvertrag-gas.updated",
    "de.markt.nb-contract.updated",
    "de.markt.netzzugang.antrag.updated",
    "de.markt.partner.updated",
    "de.markt.pricat.published",
    "de.markt.sr.konfigurationsprodukt.updated",
    "de.markt.stammdaten.geaendert",
    "de.markt.subscription.test",
    "de.markt.versorgung.beliefert",
    "de.markt.versorgung.changed",
    "de.markt.versorgung.eog-begonnen",
    "de.markt.versorgung.ersatz-auslaufend",
    "de.markt.versorgung.gap-detected",
    "de.messwert.cls.compliance-issue",
    "de.messwert.cls.compliance-resolved",
    "de.messwert.esa.typ2.delivery.overdue",
    "de.messwert.esa.typ2.delivery.resumed",
    "de.messwert.reading.confirmation.overdue",
    "de.messwert.reading.delivery.overdue",
    "de.messwert.reading.delivery.resumed",
    "de.messwert.reading.direct.stored",
    "de.messwert.reading.order.failed",
    "de.messwert.reading.quality.warning",
    "de.messwert.smgw.cert.expiry-warning",
    "de.netzbilanz.invoic.dispatch-overdue",
    "de.netzbilanz.invoic.dispatched",
    "de.netzbilanz.invoic.disputed",
    "de.netzbilanz.invoic.drafted",
    "de.netzbilanz.invoic.paid",
    "de.netzbilanz.kostenblatt.computed",
    "de.netzbilanz.kostenblatt.deadline-approaching",
    "de.obs.deadline.approaching",
    "de.obs.stp.parity.alert",
    "de.sperr.auftrag.eingegangen",
    "de.sperr.ausfuehrung.ueberfaellig",
    "de.sperr.ausgefuehrt",
    "de.sperr.fehlgeschlagen",
    "de.sperr.iftsta.ausstehend",
    "de.sperr.storniert",
    "de.sperr.versuch.gescheitert",
    "de.tarif.angebot.abgelaufen",
    "de.tarif.angebot.angenommen",
    "de.tarif.epex.missing",
    "de.tarif.product.updated",
    "de.vertrag.abgeschlossen",
    "de.vertrag.ablauf.ankuendigung",
    "de.vertrag.aktiv",
    "de.vertrag.autoerneuerung.ankuendigung",
    "de.vertrag.gekuendigt",
    "de.vertrag.kuendigung",
    "de.vertrag.kuendigung-widerrufen",
    "de.vertrag.preisaenderung.ankuendigung",
    "de.vertrag.preisgarantie-hinterlegt",
    "de.vertrag.tarifwechsel",
    "de.vertrag.tarifwechsel-geplant",
    "de.vpp.dispatch.confirmed",
    "de.vpp.settlement.berechnet",
    "de.zelk.abmeldeanfrage.beantwortet",
    "de.zelk.aperak.accepted",
    "de.zelk.aperak.rejected",
    "de.zelk.aperak.timeout",
    "de.zelk.contrl.received",
    "de.zelk.edifact.outbound",
    "de.zelk.malo.identified",
    "de.zelk.netzzugang.uebermittlungsbedarf",
    "de.zelk.process.completed",
    "de.zelk.process.failed",
    "de.zelk.process.initiated",
};

}  // namespace

std::span<const std::string_view> event_type_catalogue() { return EVENT_TYPES; }

std::vector<std::string_view> event_types() {
  std::vector<std::string_view> types(EVENT_TYPES.begin(), EVENT_TYPES.end());
  std::ranges::sort(types);
  return types;
}

bool event_type_exists(std::string_view event_type) {
  return std::ranges::find(EVENT_TYPES, event_type) != EVENT_TYPES.end();
}

bool event_matches(std::string_view pattern, std::string_view event_type) {
  return zelk_events::matches(pattern, event_type);
}

std::vector<std::string_view> event_types_matching(std::string_view pattern) {
  std::vector<std::string_view> selected;
  for (std::string_view event_type : EVENT_TYPES) {
    if (zelk_events::matches(pattern, event_type)) selected.push_back(event_type);
  }
  std::ranges::sort(selected);
  return selected;
}

}  // namespace quorvane_native::events
