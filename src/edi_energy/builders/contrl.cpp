#include "edi_energy/builders/contrl.hpp"

#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/message_writer.hpp"

namespace edi_energy::builders::contrl {

Result<std::string> serialize(const ContrlBuilderInner& inner) {
  auto writer = MessageWriter::open(inner.message_reference, "CONTRL", "3", inner.release.text());
  if (!writer) return std::unexpected(std::move(writer.error()));
  // An absent party goes out as an empty ID, which takes the BDEW qualifier.
  const std::string_view sender = inner.sender ? std::string_view(*inner.sender) : "";
  const std::string_view receiver = inner.receiver ? std::string_view(*inner.receiver) : "";
  std::vector<Components> uci{{inner.interchange_reference},
                              {sender, unb_qualifier(sender)},
                              {receiver, unb_qualifier(receiver)},
                              {inner.action_code}};
  if (inner.syntax_error) uci.push_back({*inner.syntax_error});
  if (auto written = writer->composites("UCI", uci); !written) return std::unexpected(std::move(written.error()));
  return bytes_of(std::move(*writer).finish(inner.message_reference));
}

}  // namespace edi_energy::builders::contrl
