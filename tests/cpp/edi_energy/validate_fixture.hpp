// A small UTILMD-shaped profile for the validation tests, and a terse message notation.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "edi_energy/profile/profile.hpp"
#include "plain_segments.hpp"

namespace validate_fixture {

// UNH, BGM, DTM, SG2 (NAD), SG4 (IDE, STS, SG8 (SEQ, SG10 (CCI))), UNT.
inline std::string mig(std::string_view more = "") {
  return std::string(R"({"message_type":"UTILMD","release":"S2.1","schema_version":2,"ahb_version":"1.0",)"
                     R"("source":{"file":"u.pdf"},"valid_from":"2026-01-01")") +
         std::string(more) + R"(,"structure":[
 {"nr":"00001","tag":"UNH","status":"M","max":1,"name":"Kopf","elements":[
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]},
 {"nr":"00002","tag":"BGM","status":"M","max":1,"name":"Beginn","elements":[
   {"id":"C002","name":"Dokumentenname","status":"M","components":[
     {"id":"1001","name":"Dokumentenname, Code","status":"M","format":"an..3",
      "codes":[{"code":"E01","name":"a"},{"code":"E02","name":"b"},{"code":"E03","name":"c"}]}]},
   {"id":"C106","name":"Dokumenten-ID","status":"R","components":[
     {"id":"1004","name":"Dokumentennummer","status":"M","format":"an..35"}]}]},
 {"nr":"00003","tag":"DTM","status":"R","max":2,"name":"Datum","elements":[
   {"id":"C507","name":"Datum/Uhrzeit","status":"M","components":[
     {"id":"2005","name":"Qualifier","status":"M","format":"an..3","codes":[{"code":"137","name":"a"},{"code":"163","name":"b"}]},
     {"id":"2380","name":"Wert","status":"R","format":"an..35"},
     {"id":"2379","name":"Format","status":"R","format":"an3","codes":[{"code":"303","name":"a"}]}]}]},
 {"group":"SG2","status":"R","max":2,"name":"Marktpartner","children":[
   {"nr":"00004","tag":"NAD","status":"M","max":1,"name":"MP-ID","elements":[
     {"id":"3035","name":"Qualifier","status":"M","format":"an..3","codes":[{"code":"MS","name":"a"},{"code":"MR","name":"b"}]},
     {"id":"C082","name":"Identifikation","status":"R","components":[
       {"id":"3039","name":"MP-ID","status":"M","format":"n13"},
       {"id":"1131","name":"Codeliste","status":"N","format":"an..17"},
       {"id":"3055","name":"Agentur","status":"R","format":"an..3","codes":[{"code":"9","name":"a"},{"code":"293","name":"b"}]}]}]}]},
 {"group":"SG4","status":"M","max":0,"name":"Vorgang","children":[
   {"nr":"00005","tag":"IDE","status":"M","max":1,"name":"Vorgang","elements":[
     {"id":"7495","name":"Objekttyp","status":"M","format":"an..3","codes":[{"code":"24","name":"a"}]},
     {"id":"C206","name":"Identifikation","status":"M","components":[
       {"id":"7402","name":"Vorgangs-ID","status":"M","format":"an..35"}]}]},
   {"nr":"00006","tag":"STS","status":"D","max":2,"name":"Status","elements":[
     {"id":"9015","name":"Statuskategorie","status":"M","format":"a..3","codes":[{"code":"E","name":"a"},{"code":"Z","name":"b"}]},
     {"id":"4405","name":"Status","status":"N","format":"an..3"}]},
   {"group":"SG8","status":"D","max":9,"name":"Daten","children":[
     {"nr":"00007","tag":"SEQ","status":"M","max":1,"name":"Daten","elements":[
       {"id":"1229","name":"Handlung","status":"M","format":"an..3","codes":[{"code":"Z01","name":"a"},{"code":"Z98","name":"b"}]}]},
     {"group":"SG10","status":"D","max":9,"name":"Merkmal","children":[
       {"nr":"00008","tag":"CCI","status":"M","max":1,"name":"Merkmal","elements":[
         {"id":"7059","name":"Klasse","status":"M","format":"an..3","codes":[{"code":"Z30","name":"a"},{"code":"Z19","name":"b"}]},
         {"id":"1131","name":"Nummer","status":"R","format":"n..15"}]}]}]}]},
 {"nr":"00009","tag":"UNT","status":"M","max":1,"name":"Ende","elements":[
   {"id":"0074","name":"Anzahl","status":"M","format":"n..6"},
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]}]})";
}

inline std::string ahb(std::string_view anwendungsfaelle, std::string_view conditions = "{}",
                       std::string_view packages = "{}") {
  return std::string(R"({"message_type":"UTILMD","release":"S2.1","schema_version":2,"ahb_version":"1.0",)"
                     R"("source":{"file":"u.pdf"},"anwendungsfaelle":)") +
         std::string(anwendungsfaelle) + R"(,"conditions":)" + std::string(conditions) + R"(,"packages":)" +
         std::string(packages) + "}";
}

inline edi_energy::profile::Profile profile(const std::string& mig_text, const std::string& ahb_text) {
  auto made = edi_energy::profile::Profile::from_json(mig_text, ahb_text);
  if (!made) ADD_FAILURE() << "fixture profile does not load";
  return std::move(*made);
}

// "UNH+1'NAD+MS+9900::293'": segments split at ', elements at +, components at :.
inline std::vector<edifact::model::Segment> message(std::string_view text) { return plain_notation::segments(text); }

}  // namespace validate_fixture
