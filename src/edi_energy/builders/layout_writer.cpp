#include "edi_energy/builders/layout_writer.hpp"

#include <utility>

#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders {

LayoutWriter::LayoutWriter(std::string_view message_reference, std::string_view message_type,
                           std::string_view directory, const release::Release& release) {
  auto opened = MessageWriter::open(message_reference, message_type, directory, release.text());
  if (opened) {
    writer_.emplace(std::move(*opened));
  } else {
    failure_ = std::move(opened.error());
  }
}

void LayoutWriter::keep(Result<void> written) {
  if (!written) failure_ = std::move(written.error());
}

void LayoutWriter::by(std::string field) {
  if (!failure_) writer_->by(std::move(field));
}

void LayoutWriter::by(std::size_t element, std::string field) {
  if (!failure_) writer_->by(element, std::move(field));
}

void LayoutWriter::simple(std::string_view tag, std::initializer_list<std::string_view> elements) {
  if (!failure_) keep(writer_->simple(tag, elements));
}

void LayoutWriter::composites(std::string_view tag,
                              std::initializer_list<std::initializer_list<std::string_view>> elements) {
  if (!failure_) keep(writer_->composites(tag, elements));
}

void LayoutWriter::party(std::string_view qualifier, const std::optional<std::string>& id, AgencyKind kind,
                         std::string field) {
  if (!id) return;
  by(std::move(field));
  composites("NAD", {{qualifier}, {*id, "", agency_for(kind, *id)}});
}

void LayoutWriter::date(std::string_view qualifier, std::string_view value, std::string_view format) {
  composites("DTM", {{qualifier, value, format}});
}

void LayoutWriter::date_303(std::string_view qualifier, std::string_view value) {
  date(qualifier, ccyymmddhhmm_utc(value), "303");
}

void LayoutWriter::reference(std::string_view qualifier, std::string_view value) {
  composites("RFF", {{qualifier, value}});
}

void LayoutWriter::adjustment(std::string_view code, const std::optional<std::string>& ebd) {
  if (ebd && !ebd->empty()) {
    simple("AJT", {code, *ebd});
  } else {
    simple("AJT", {code});
  }
}

Result<Written> LayoutWriter::finish(std::string_view message_reference) && {
  if (failure_) return std::unexpected(std::move(*failure_));
  return std::move(*writer_).finish(message_reference);
}

}  // namespace edi_energy::builders
