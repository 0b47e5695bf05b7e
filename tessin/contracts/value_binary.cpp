#include "tessin/contracts/value_binary.hpp"

#include "tessin/contracts/value_file_io.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

namespace {

Core::Bytes copy_bytes(const std::uint8_t* data, std::size_t length) {
  return Core::Bytes::adopt(g_bytes_new(length > 0 ? data : nullptr, length));
}

}  // namespace

const Core::TypeInfo& ValueBinary::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueBinary", &ValueObject::static_type(), {},
                                   Core::factory_of<ValueBinary>(),
                                   {Core::property("itsvalue", &ValueBinary::get_itsvalue, &ValueBinary::set_itsvalue)});
  return info;
}

const Core::TypeInfo& ValueBlob::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueBlob", &ValueBinary::static_type(), {},
                                   Core::factory_of<ValueBlob>(),
                                   {Core::property("itsvalue", &ValueBlob::get_itsvalue, &ValueBlob::set_itsvalue)});
  return info;
}

ValueBinary::ValueBinary() : m_itsvalue(copy_bytes(nullptr, 0)) {}
ValueBinary::ValueBinary(const std::uint8_t* data, std::size_t length) : m_itsvalue(copy_bytes(data, length)) {}
ValueBinary::ValueBinary(Core::Bytes bytes) : m_itsvalue(bytes ? std::move(bytes) : copy_bytes(nullptr, 0)) {}

void ValueBinary::set_itsvalue(Core::Bytes bytes) {
  m_itsvalue = bytes ? std::move(bytes) : copy_bytes(nullptr, 0);
  notify("itsvalue");
}

std::size_t ValueBinary::size() const noexcept { return g_bytes_get_size(m_itsvalue.get()); }

const std::uint8_t* ValueBinary::data() const noexcept {
  gsize length = 0;
  return static_cast<const std::uint8_t*>(g_bytes_get_data(m_itsvalue.get(), &length));
}

std::vector<std::uint8_t> ValueBinary::to_bytes() const {
  const std::uint8_t* bytes = data();
  return bytes != nullptr ? std::vector<std::uint8_t>(bytes, bytes + size()) : std::vector<std::uint8_t>();
}

std::string ValueBinary::to_hexadecimal() const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::uint8_t* bytes = data();
  const std::size_t length = size();
  std::string text(length * 2, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return text;
}

Core::Status ValueBinary::write(GOutputStream* stream) const {
  if (stream == nullptr) {
    Core::precondition_failed(G_STRFUNC, "stream != NULL");
    return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT, "stream != NULL");
  }
  GError* error = nullptr;
  if (g_output_stream_write_all(stream, data(), size(), nullptr, nullptr, &error) == FALSE) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  return {};
}

void ValueBinary::load(const std::string& filename, FileCallback callback) {
  auto self = this->self<ValueBinary>();
  detail::run_file_job<Core::Result<std::optional<std::string>>>(
      [filename] { return detail::read_file(filename); },
      [self, callback = std::move(callback)](Core::Result<std::optional<std::string>>&& read) {
        if (!read) {
          callback(Core::fail(std::move(read.error())));
          return;
        }
        if (read->has_value()) {
          const std::string& content = **read;
          self->set_itsvalue(copy_bytes(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
        }
        callback({});
      });
}

void ValueBinary::save(const std::string& filename, FileCallback callback) {
  // Byte buffers are immutable and their references atomic, so the worker can
  // share this one instead of copying it.
  detail::run_file_job<Core::Status>(
      [filename, bytes = m_itsvalue] {
        gsize length = 0;
        const auto* content = static_cast<const char*>(g_bytes_get_data(bytes.get(), &length));
        return detail::write_file(filename, std::string_view(content != nullptr ? content : "", length));
      },
      [callback = std::move(callback)](Core::Status&& written) { callback(written); });
}

Core::GValueHolder ValueBinary::to_value() const {
  Core::GValueHolder value(G_TYPE_BYTES);
  g_value_set_boxed(value.get(), m_itsvalue.get());
  return value;
}

std::string ValueBinary::to_string() const {
  const std::size_t length = size();
  if (length == 0) {
    return {};
  }
  const auto* bytes = reinterpret_cast<const char*>(data());
  std::size_t text_length = 0;
  while (text_length < length && bytes[text_length] != '\0') {
    ++text_length;
  }
  if (g_utf8_validate(bytes, static_cast<gssize>(text_length), nullptr) != FALSE) {
    return std::string(bytes, text_length);
  }
  return to_hexadecimal();
}

ValueObjectPtr ValueBinary::clone() const { return create(data(), size()); }
std::string ValueBinary::get_name() const { return "binary"; }
DataType ValueBinary::get_data_type() const { return DataType::Binary; }

ValueObjectPtr ValueBlob::clone() const { return create(data(), size()); }
std::string ValueBlob::get_name() const { return "blob"; }
DataType ValueBlob::get_data_type() const { return DataType::Blob; }

}  // namespace Tolvane::Providers::Contracts
