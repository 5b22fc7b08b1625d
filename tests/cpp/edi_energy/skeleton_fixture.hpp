// Running one generator round over a fixture profile, and the segments it made as text.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edifact/model/segment.hpp"
#include "validate_fixture.hpp"

namespace skeleton_fixture {

namespace skeleton = edi_energy::profile::skeleton;

inline const skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};

// "TAG+a:b+c'" per segment: elements joined by +, components by :.
inline std::string render(std::span<const edifact::model::Segment> segments) {
  std::string text;
  for (const auto& segment : segments) {
    text += segment.tag();
    for (const auto element : segment.elements()) {
      text += '+';
      bool first = true;
      for (const auto component : element.components()) {
        if (!first) text += ':';
        text += component.text;
        first = false;
      }
    }
    text += '\'';
  }
  return text;
}

// One round over `profile` for its first Anwendungsfall; seeds (in the fixture notation) are
// placed with the profile's own structure.
inline std::string round(const edi_energy::profile::Profile& profile, const skeleton::KeySets& keys,
                         std::string_view seed_text = {}, std::vector<skeleton::SkippedSeed>* skipped = nullptr) {
  const auto seeds = validate_fixture::message(seed_text);
  const auto resolution = profile.structure().resolve(seeds);
  std::vector<edifact::model::Segment> out;
  skeleton::Generator generator(profile, profile.ahb().anwendungsfaelle.at(0), parties, keys, out, seeds,
                                seeds.empty() ? nullptr : &resolution);
  generator.walk(profile.structure().roots, !seeds.empty(), 0, 0);
  if (skipped != nullptr) *skipped = generator.skipped_seeds();
  return render(out);
}

// UNH, SG5 (RFF, DTM), UNT with the given maxima of SG5, RFF and DTM.
inline std::string mini_mig(unsigned group_max, unsigned rff_max, unsigned dtm_max) {
  return R"({"message_type":"MSCONS","release":"2.4c","schema_version":2,"ahb_version":"1.0",)"
         R"("source":{"file":"m.pdf"},"valid_from":"2026-01-01","structure":[
 {"nr":"00001","tag":"UNH","status":"M","max":1,"name":"Kopf","elements":[
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]},
 {"group":"SG5","status":"D","max":)" +
         std::to_string(group_max) + R"(,"name":"Referenzen","children":[
   {"nr":"00010","tag":"RFF","status":"M","max":)" +
         std::to_string(rff_max) + R"(,"name":"Referenz","elements":[
     {"id":"C506","name":"Referenz","status":"M","components":[
       {"id":"1153","name":"Qualifier","status":"M","format":"an..3"},
       {"id":"1154","name":"Nummer","status":"R","format":"an..35"}]}]},
   {"nr":"00011","tag":"DTM","status":"D","max":)" +
         std::to_string(dtm_max) + R"(,"name":"Datum","elements":[
     {"id":"C507","name":"Datum","status":"M","components":[
       {"id":"2005","name":"Qualifier","status":"M","format":"an..3","codes":[{"code":"137","name":"a"}]},
       {"id":"2380","name":"Wert","status":"R","format":"an..35"},
       {"id":"2379","name":"Format","status":"R","format":"an..3","codes":[{"code":"303","name":"a"},{"code":"102","name":"b"}]}]}]}]},
 {"nr":"00009","tag":"UNT","status":"M","max":1,"name":"Ende","elements":[
   {"id":"0074","name":"Anzahl","status":"M","format":"n..6"},
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]}]})";
}

inline std::string mini_ahb(std::string_view anwendungsfall, std::string_view conditions = "{}",
                            std::string_view packages = "{}") {
  return std::string(R"({"message_type":"MSCONS","release":"2.4c","schema_version":2,"ahb_version":"1.0",)"
                     R"("source":{"file":"m.pdf"},"anwendungsfaelle":[)") +
         std::string(anwendungsfall) + R"(],"conditions":)" + std::string(conditions) + R"(,"packages":)" +
         std::string(packages) + "}";
}

}  // namespace skeleton_fixture

namespace edi_energy::profile::skeleton {
inline void PrintTo(const Pin& pin, std::ostream* os) {
  *os << pin.de << '#' << static_cast<unsigned>(pin.occurrence) << '=' << pin.code;
}
}  // namespace edi_energy::profile::skeleton
