#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "edi_energy/profile/json.hpp"

namespace {

namespace json = edi_energy::profile::json;
namespace model = edi_energy::profile::model;

// A small valid MIG; `more` adds fields after `structure`.
std::string mig(std::string_view more = "", std::string_view structure = "[]") {
  return std::string(R"({"message_type":"CONTRL","release":"2.0b","schema_version":2,"ahb_version":"1.0",)"
                     R"("source":{"file":"c.pdf"},"valid_from":"2026-01-01","structure":)") +
         std::string(structure) + std::string(more) + "}";
}

std::string ahb(std::string_view more = "", std::string_view anwendungsfaelle = "[]") {
  return std::string(R"({"message_type":"CONTRL","release":"2.0b","schema_version":2,"ahb_version":"1.0",)"
                     R"("source":{"file":"c.pdf"},"anwendungsfaelle":)") +
         std::string(anwendungsfaelle) + std::string(more) + "}";
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string envelope_segment(std::string_view fields) {
  return std::string(R"(,"envelope":[{"nr":"00001","tag":"UNB","status":"M","max":1)") + std::string(fields) + "}]";
}

std::string envelope_max(std::string_view max) { return replaced(mig(envelope_segment("")), "\"max\":1", max); }

std::string deep_arrays(std::size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

enum class Document { Mig, Ahb };

struct FaultCase {
  std::string name;
  Document kind;
  std::string document;
  std::string message;
  // Reading stood just after the first occurrence of this text ("$": after the whole text).
  std::string read_up_to;
};

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, NamesTheFaultAndWhereReadingStood) {
  const FaultCase& fault = GetParam();
  const std::size_t found = fault.document.find(fault.read_up_to);
  ASSERT_TRUE(fault.read_up_to == "$" || found != std::string::npos) << "bad case";
  const std::size_t column = fault.read_up_to == "$" ? fault.document.size() : found + fault.read_up_to.size();
  std::string text = "read without fault";
  if (fault.kind == Document::Mig) {
    if (auto read = json::read_mig(fault.document); !read) text = read.error().text();
  } else if (auto read = json::read_ahb(fault.document); !read) {
    text = read.error().text();
  }
  EXPECT_EQ(text, fault.message + " at line 1 column " + std::to_string(column));
}

const std::string group_entry = R"({"group":"SG1","status":"M","max":1,"children":[)";

const FaultCase fault_cases[] = {
    // Presence of fields.
    {"required_field_absent", Document::Mig, replaced(mig(), R"(,"valid_from":"2026-01-01")", ""),
     "missing field `valid_from`", "$"},
    {"first_missing_in_declaration_order", Document::Ahb, ahb("", R"([{"elements":[]}])"), "missing field `name`",
     R"([{"elements":[]})"},
    {"defaulted_boolean_null", Document::Mig, mig(R"(,"pid_exempt":null)"), "invalid type: null, expected a boolean",
     R"("pid_exempt":null)"},
    {"defaulted_list_null", Document::Mig, mig(R"(,"envelope":null)"), "invalid type: null, expected a sequence",
     R"("envelope":null)"},
    {"defaulted_map_null", Document::Ahb, ahb(R"(,"conditions":null)"), "invalid type: null, expected a map",
     R"("conditions":null)"},
    {"defaulted_text_null", Document::Mig,
     mig(envelope_segment(R"(,"elements":[{"id":"0001","status":"M","codes":[{"code":"A","name":null}]}])")),
     "invalid type: null, expected a string", R"("name":null)"},
    {"duplicate_of_null_optional", Document::Mig, mig(R"(,"track":null,"track":"Gas")"), "duplicate field `track`",
     R"(null,"track")"},
    // Types and numbers.
    {"string_for_u32", Document::Mig, replaced(mig(), "2,", R"("2",)"), R"(invalid type: string "2", expected u32)",
     R"("schema_version":"2")"},
    {"boolean_for_u32", Document::Mig, replaced(mig(), "2,", "true,"), "invalid type: boolean `true`, expected u32",
     "true"},
    {"negative_u32", Document::Mig, envelope_max(R"("max":-1)"), "invalid value: integer `-1`, expected u32",
     R"("max":-1)"},
    {"u32_with_fraction", Document::Mig, envelope_max(R"("max":2.0)"), "invalid type: floating point `2.0`, expected u32",
     R"("max":2.0)"},
    {"integer_beyond_64_bits", Document::Mig, replaced(mig(), "2,", "18446744073709551616,"),
     "invalid type: floating point `1.8446744073709552e19`, expected u32", "18446744073709551616"},
    {"u8_overflow", Document::Ahb,
     ahb("", R"([{"name":"F","rows":[],"elements":[{"nr":"1","de":"3055","operands":[],"occurrence":256}]}])"),
     "invalid value: integer `256`, expected u8", "256"},
    {"map_for_string", Document::Mig, mig(R"(,"track":{"a":1})"), "invalid type: map, expected a string",
     R"("track":)"},
    {"string_for_record", Document::Mig, replaced(mig(), R"({"file":"c.pdf"})", R"("c\"d")"),
     R"(invalid type: string "c\"d", expected struct Source)", R"("c\"d")"},
    {"sequence_for_element", Document::Mig, mig(envelope_segment(R"(,"elements":[[]])")),
     "invalid type: sequence, expected struct Element", R"("elements":[)"},
    {"root_string", Document::Mig, R"("abc")", R"(invalid type: string "abc", expected struct MigProfile)", "$"},
    {"root_sequence", Document::Ahb, R"( [1])", "invalid type: sequence, expected struct AhbProfile", " "},
    // Structure nodes: a node that fits neither form is judged once it is read whole.
    {"segment_without_tag", Document::Mig, mig("", R"([{"nr":"00001","status":"M","max":1}])"),
     "data did not match any variant of untagged enum Node", R"("max":1})"},
    {"fault_deep_inside_a_group", Document::Mig,
     mig("", "[" + group_entry + group_entry + R"({"nr":"1","tag":"UCM","status":"M","max":"1"}]}]}])"),
     "data did not match any variant of untagged enum Node", "]}]}"},
    {"syntax_fault_inside_a_node", Document::Mig, mig("", "[" + group_entry + R"({"nr":"1" "tag":"A"}]}])"),
     "expected `,` or `}`", R"({"nr":"1" ")"},
    {"too_deep_inside_a_node", Document::Mig,
     mig("", R"([{"nr":"1","tag":"A","status":"M","max":1,"x":)" + deep_arrays(126) + "}]"), "recursion limit exceeded",
     R"("x":)" + std::string(125, '[')},
    // Syntax.
    {"empty_text", Document::Mig, "", "EOF while parsing a value", "$"},
    {"second_object", Document::Mig, mig() + " {}", "trailing characters", "} {"},
    {"unclosed_root", Document::Mig, mig().substr(0, mig().size() - 1), "EOF while parsing an object", "$"},
    {"trailing_comma_in_skipped_value", Document::Mig, mig(R"(,"extra":[1,])"), "trailing comma", "[1,]"},
    {"trailing_comma_in_record", Document::Mig, mig(","), "trailing comma", "[],}"},
    {"broken_literal", Document::Mig, mig(R"(,"extra":tru)"), "expected ident", "tru}"},
    {"missing_colon", Document::Mig, mig(R"(,"extra" 1)"), "expected `:`", R"("extra" 1)"},
    {"key_not_a_string", Document::Mig, mig(R"(,"extra":{1:2})"), "key must be a string", "{1"},
    {"leading_zero", Document::Mig, mig(R"(,"extra":01)"), "invalid number", ":01"},
    {"invalid_escape", Document::Mig, mig(R"(,"track":"a\x")"), "invalid escape", R"("a\x)"},
    {"control_character", Document::Mig, mig(",\"track\":\"a\tb\""),
     "control character (\\u0000-\\u001F) found while parsing a string", "\"a\t"},
    {"invalid_utf8", Document::Mig, mig(",\"track\":\"a\xff\""), "invalid unicode code point", "\"a\xff"},
    {"unclosed_string", Document::Mig, mig(R"(,"track":"abc)").substr(0, mig(R"(,"track":"abc)").size() - 1),
     "EOF while parsing a string", "$"},
    {"depth_128", Document::Mig, mig(R"(,"extra":)" + deep_arrays(127)), "recursion limit exceeded",
     R"("extra":)" + std::string(127, '[')},
};
INSTANTIATE_TEST_SUITE_P(Json, FaultTest, testing::ValuesIn(fault_cases),
                         [](const auto& info) { return info.param.name; });

TEST(Positions, CountLinesAndTheBytesReadOnTheLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"{\n  \"message_type\": \"CONTRL\",\n  \"source\": {\n    \"title\": \"Ä\"\n  },\n  \"release\": 7\n}\n",
       "missing field `file` at line 5 column 3"},
      {"{\n  \"message_type\": \"Ä\", \"release\": 7}",
       "invalid type: integer `7`, expected a string at line 2 column 36"},
  };
  for (const auto& [document, text] : cases) {
    const auto read = json::read_mig(document);
    ASSERT_FALSE(read) << text;
    EXPECT_EQ(read.error().text(), text);
  }
}

TEST(MigReading, AcceptsWhitespaceUnknownKeysAndNullOptionals) {
  const std::string documents[] = {
      "\n  " + mig() + " \n\t\r\n",
      // Unknown keys may repeat and hold anything, even numbers no double holds.
      mig(R"(,"x":{"a":[1,-2.5e3,true,null,"\u00e4"]},"y":null,"x":1e999)"),
      mig(R"(,"extra":)" + deep_arrays(126)),
      mig(R"(,"pid_source":null,"valid_until":null,"publikationsdatum":null,"track":null)"),
  };
  for (const std::string& document : documents) {
    const auto read = json::read_mig(document);
    ASSERT_TRUE(read) << read.error().text();
    EXPECT_TRUE(read->envelope.empty());
    EXPECT_FALSE(read->pid_exempt);
    EXPECT_FALSE(read->pid_source || read->valid_until || read->publikationsdatum || read->track);
    EXPECT_FALSE(read->source.sha256 || read->source.title);
  }
}

const std::string full_mig = R"({
  "ahb_version": "1.0", "envelope": [{"max": 1, "nr": "00000", "status": "M", "tag": "UNB"}],
  "message_type": "CONTRL", "pid_exempt": true, "pid_source": "bgm_de1004", "release": "2.0b", "schema_version": 2,
  "source": {"file": "CONTRL_MIG_2_0b.pdf", "sha256": null, "title": "CONTRL MIG 2.0b"},
  "structure": [
    {"elements": [
        {"format": "an..14", "id": "0062", "name": "Nachrichten-Referenznummer", "note": "eindeutig", "status": "M"},
        {"components": [
          {"codes": [{"code": "CONTRL", "name": "Syntax"}, {"code": "XYZ"}], "format": "an..6", "id": "0065", "status": "M"}
         ], "id": "S009", "name": "Nachrichten-Kennung", "status": "M"}],
      "example": "UNH+1+CONTRL:D:3:UN:2.0b'",
      "max": 1, "name": "Nachrichten-Kopfsegment", "nr": "00001", "status": "M", "tag": "UNH", "zaehler": "0010"},
    {"children": [
        {"max": 1, "nr": "00003", "status": "M", "tag": "UCM"},
        {"children": [{"max": 1, "nr": "00004", "status": "M", "tag": "UCS"}], "group": "SG2", "max": 999, "status": "C"}],
      "group": "SG1", "max": 999999, "name": "UCM-SG2", "nr": "ignored", "status": "D", "tag": "ignored", "zaehler": "0030"},
    {"children": [{"nr": "broken"}], "group": "SG9", "max": 1, "nr": "00009", "status": "M", "tag": "UNT"}
  ],
  "track": "Strom", "valid_from": "2026-01-01", "valid_until": "2026-09-30"
}
)";

model::SegmentNode segment(std::string nr, std::string tag) {
  return model::SegmentNode{.nr = std::move(nr), .tag = std::move(tag), .status = "M", .max = 1};
}

TEST(MigReading, ReadsEveryRecordOfTheTree) {
  model::SegmentNode unh = segment("00001", "UNH");
  unh.zaehler = "0010";
  unh.name = "Nachrichten-Kopfsegment";
  unh.example = "UNH+1+CONTRL:D:3:UN:2.0b'";
  unh.elements = {
      model::Element{.id = "0062", .name = "Nachrichten-Referenznummer", .status = "M", .format = "an..14",
                     .note = "eindeutig"},
      model::Element{.id = "S009", .name = "Nachrichten-Kennung", .status = "M",
                     .components = {model::Element{.id = "0065", .status = "M", .format = "an..6",
                                                   .codes = {{"CONTRL", "Syntax"}, {"XYZ", ""}}}}},
  };
  const model::GroupNode sg2{.group = "SG2", .status = "C", .max = 999, .children = {model::Node{segment("00004", "UCS")}}};
  const model::GroupNode sg1{.group = "SG1", .zaehler = "0030", .status = "D", .max = 999999, .name = "UCM-SG2",
                             .children = {model::Node{segment("00003", "UCM")}, model::Node{sg2}}};
  const model::MigProfile expected{
      .message_type = "CONTRL", .release = "2.0b", .schema_version = 2, .ahb_version = "1.0",
      .source = {.file = "CONTRL_MIG_2_0b.pdf", .title = "CONTRL MIG 2.0b"},
      // A group whose children do not read falls back to a segment when it has the segment keys.
      .structure = {model::Node{unh}, model::Node{sg1}, model::Node{segment("00009", "UNT")}},
      .envelope = {segment("00000", "UNB")}, .pid_source = "bgm_de1004", .pid_exempt = true,
      .valid_from = "2026-01-01", .valid_until = "2026-09-30", .track = "Strom",
  };
  // Read in place, whatever the padding holds, and copied.
  const std::string buffer = full_mig + std::string(json::document_padding, '{');
  for (const auto& read : {json::read_mig(json::PaddedText{std::string_view(buffer).substr(0, full_mig.size())}),
                           json::read_mig(full_mig)}) {
    ASSERT_TRUE(read) << read.error().text();
    EXPECT_EQ(*read, expected);
  }
}

const std::string full_ahb = R"({
  "ahb_version": "1.0",
  "anwendungsfaelle": [
    {"chapter": "Empfangsbestätigung", "name": "Empfangsbestätigung",
     "elements": [
        {"de": "0062", "nr": "00001", "operands": [{"operand": "X"}]},
        {"de": "3055", "nr": "00002", "occurrence": 2,
         "operands": [{"code": "9", "operand": "X"}, {"code": "293", "operand": "X [931] [494]"}]}],
     "rows": [{"nr": "00001", "status": ["Muss"]},
              {"before": "00073", "group": "SG15", "status": ["Muss [57] ∧ [58]", "Soll [60]"]}]},
    {"communication": "NB an LF", "name": "Anmeldung", "pid": 55001, "rows": []}
  ],
  "conditions": {"494": "Hinweis: x", "2": "b", "10": "a", "2": "Wenn Syntaxfehler in UNH vorhanden."},
  "message_type": "CONTRL", "release": "2.0b", "schema_version": 2, "source": {"file": "CONTRL_AHB_1_0.pdf"}
}
)";

TEST(AhbReading, ReadsAnwendungsfaelleAndMaps) {
  model::Anwendungsfall first{
      .name = "Empfangsbestätigung",
      .chapter = "Empfangsbestätigung",
      .rows = {model::Row{.status = {"Muss"}, .nr = "00001"},
               model::Row{.status = {"Muss [57] ∧ [58]", "Soll [60]"}, .group = "SG15", .before = "00073"}},
      .elements = {model::ElementRule{.nr = "00001", .de = "0062", .operands = {{"X", std::nullopt}}},
                   model::ElementRule{.nr = "00002", .de = "3055", .operands = {{"X", "9"}, {"X [931] [494]", "293"}},
                                      .occurrence = 2}},
  };
  const model::AhbProfile expected{
      .message_type = "CONTRL", .release = "2.0b", .schema_version = 2, .ahb_version = "1.0",
      .source = {.file = "CONTRL_AHB_1_0.pdf"},
      .anwendungsfaelle = {first, model::Anwendungsfall{.pid = 55001, .name = "Anmeldung", .communication = "NB an LF"}},
      // A repeated condition key keeps its last text.
      .conditions = {{"10", "a"}, {"2", "Wenn Syntaxfehler in UNH vorhanden."}, {"494", "Hinweis: x"}},
  };
  const auto read = json::read_ahb(full_ahb);
  ASSERT_TRUE(read) << read.error().text();
  EXPECT_EQ(*read, expected);
  EXPECT_EQ(read->conditions.begin()->first, "10");
}

TEST(PairReading, JudgesTheMigFirst) {
  const std::string broken_mig = replaced(mig(), R"(,"valid_from":"2026-01-01")", "");
  const std::string broken_ahb = ahb() + "x";
  const auto both_broken = json::read_pair(broken_mig, broken_ahb);
  ASSERT_FALSE(both_broken);
  EXPECT_EQ(both_broken.error().message(),
            fmt::format("profile field `mig.json` has invalid value \"\": missing field `valid_from` at line 1 column {}",
                        broken_mig.size()));
  const auto ahb_broken = json::read_pair(mig(), broken_ahb);
  ASSERT_FALSE(ahb_broken);
  EXPECT_EQ(ahb_broken.error(), edi_energy::error::ProfileError::invalid_field(
                                    "ahb.json", "", fmt::format("trailing characters at line 1 column {}", broken_ahb.size())));
  const auto both_read = json::read_pair(mig(), ahb());
  ASSERT_TRUE(both_read);
  EXPECT_EQ(both_read->mig.message_type, both_read->ahb.message_type);
}

}  // namespace
