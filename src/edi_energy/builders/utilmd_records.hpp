// The values of one UTILMD message and its Vorgänge as the UTILMD builder collects them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/release.hpp"
#include "edi_energy/utilmd_codes.hpp"

namespace edi_energy::builders::utilmd {

using Pair = std::pair<std::string, std::string>;

// STS+7
struct Transaktionsgrund {
  std::string grund;
  std::optional<std::string> ergaenzung;
  std::optional<std::string> befristung;  // the third value
};

// STS+E01
struct Antwort {
  std::string code;
  std::optional<std::string> codeliste;
};

// STS+Z35, "Status der Antwort des dritten Marktbeteiligten": "STS+Z35+" c "+" a ":" b ["+" d].
struct ThirdPartyAnswer {
  std::string a;
  std::string b;
  std::optional<std::string> c;
  std::optional<std::string> d;
};

// A DTM of the Vorgang; without a format, the one date_format gives its qualifier.
struct VorgangDate {
  std::string qualifier;
  std::string value;
  std::optional<std::string> format;
};

// RFF followed by its DTM.
struct DatedReference {
  std::string qualifier;
  std::string value;
  std::string date_qualifier;
  std::string date_value;
  std::string date_format;
};

struct Sg8Characteristic {  // "CCI+" a "++" b
  std::string a;
  std::string b;
};
struct Sg8Value {  // CAV: code, code list, value, second value
  std::string s0;
  std::string s1;
  std::string s2;
  std::string s3;
};
struct Sg8Quantity {  // "QTY+" a ":" b [":" c]
  std::string a;
  std::string b;
  std::string c;
};
struct Sg8Reference {  // "RFF+" a ":" b
  std::string a;
  std::string b;
};
using Sg8Item = std::variant<Sg8Characteristic, Sg8Value, Sg8Quantity, Sg8Reference>;

struct Sg8Block {
  std::string qualifier;  // SEQ DE 1229
  std::vector<Sg8Item> items;
};

// NAD with a name (C080: at most five name parts and the name format code).
struct NameParty {
  std::string qualifier;
  std::vector<std::string> name_parts;
  std::string name_format;
};
struct AddressParty {
  std::string qualifier;
  std::vector<std::string> name_parts;
  std::string name_format;
  std::string street;
  std::string city;
  std::string postal_code;
  std::string country;
};

// One Vorgang (SG4), fields in the order in which they are written.
struct UtilmdTransactionSpec {
  std::string ide_qualifier;
  std::string vorgangsnummer;
  std::optional<Pair> item_description;  // IMD
  std::vector<VorgangDate> dates;
  std::optional<Transaktionsgrund> transaktionsgrund;
  std::optional<Antwort> antwort;
  std::optional<ThirdPartyAnswer> third_party_answer;
  std::vector<Pair> free_texts;       // qualifier, text
  std::optional<Pair> agreement;      // AGR
  std::vector<Pair> locations;        // LOC qualifier, ID
  std::optional<std::string> tn_reference;
  std::vector<Pair> references;       // qualifier, value
  std::vector<DatedReference> dated_references;
  std::optional<std::string> time_series_reference;  // RFF+AUU in SEQ+Z22
  std::vector<utilmd_codes::Produktpaket> produktpakete;
  std::vector<Sg8Block> sg8_blocks;
  std::vector<Pair> z01_characteristics;  // class type, characteristic: CCI items of the Z01 block
  std::vector<NameParty> name_parties;
  std::vector<AddressParty> address_parties;
  std::vector<Pair> id_parties;  // qualifier, market-partner ID
};

struct UtilmdBuilderInner {
  release::Release release;
  std::string message_reference = "1";
  std::string document_code = "E01";
  std::vector<Pair> references;
  std::vector<UtilmdTransactionSpec> transactions;
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> document_number;  // the message reference when absent
  std::optional<std::string> validity_start;   // DTM+157, format 610
  std::optional<std::string> document_date;    // the current UTC time when absent
  std::optional<std::uint32_t> pruefidentifikator;
  // Whether the Vorgänge carry RFF+Z13; off for a column whose Vorgang has no place for it (the
  // Prüfidentifikator then stands in a list's SG4 only).
  bool vorgang_pid_reference = true;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
};

}  // namespace edi_energy::builders::utilmd
