// SPDX-License-Identifier: GPL-3.0-or-later
#include "Certificate.h"

#include "NumberText.h"

namespace proof {
namespace {

std::optional<modular::Natural> ReadNatural(std::string_view digits) {
  TBigNumber record;
  try {
    if (digits.empty() || !ReadDigits(digits, record)) return std::nullopt;
  } catch (const ConversionError&) {
    return std::nullopt;
  }
  return modular::FromWide(wide::FromRecord(record));
}

std::string DecimalText(const modular::Natural& x) {
  return DigitString(wide::ToRecord(modular::ToWide(x)));
}

// The next blank-separated field of `line`, consumed.
std::string_view NextField(std::string_view& line) {
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return line = {};
  line.remove_prefix(start);
  const std::size_t end = std::min(line.find(' '), line.size());
  const std::string_view field = line.substr(0, end);
  line.remove_prefix(end);
  return field;
}

std::optional<CurveStep> ParseCurve(std::string_view line) {
  CurveStep step;
  modular::Natural* const fields[] = {nullptr, &step.s, &step.a, &step.x, &step.y};
  for (modular::Natural* field : fields) {
    std::string_view text = NextField(line);
    if (field == nullptr) {
      step.tNegative = !text.empty() && text.front() == '-';
      if (step.tNegative) text.remove_prefix(1);
      field = &step.t;
    }
    const auto value = ReadNatural(text);
    if (!value) return std::nullopt;
    *field = *value;
  }
  if (!NextField(line).empty()) return std::nullopt;
  return step;
}

std::optional<PocklingtonStep> ParsePocklington(std::string_view line) {
  const auto a = ReadNatural(NextField(line));
  if (!a) return std::nullopt;
  PocklingtonStep step{*a, {}};
  for (std::string_view field = NextField(line); !field.empty(); field = NextField(line)) {
    const auto prime = ReadNatural(field);
    if (!prime || step.primes.size() == kMostPrimes) return std::nullopt;
    step.primes.push_back(*prime);
  }
  if (step.primes.empty()) return std::nullopt;
  return step;
}

std::optional<Step> ParseStep(std::string_view line) {
  std::string_view first = NextField(line);
  const bool pocklington = first == "pocklington";
  if (pocklington) first = NextField(line);
  const auto n = ReadNatural(first);
  if (!n) return std::nullopt;
  if (pocklington) {
    auto step = ParsePocklington(line);
    if (step) return Step{*n, std::move(*step)};
  } else {
    const auto step = ParseCurve(line);
    if (step) return Step{*n, *step};
  }
  return std::nullopt;
}

std::string StepText(const CurveStep& step) {
  return (step.tNegative ? " -" : " ") + DecimalText(step.t) + ' ' + DecimalText(step.s) + ' ' +
         DecimalText(step.a) + ' ' + DecimalText(step.x) + ' ' + DecimalText(step.y);
}

std::string StepText(const PocklingtonStep& step) {
  std::string text = ' ' + DecimalText(step.a);
  for (const modular::Natural& prime : step.primes)
    text += ' ' + DecimalText(prime);
  return text;
}

}  // namespace

std::optional<Certificate> ParseCertificate(std::string_view text, std::size_t mostSteps) {
  Certificate certificate;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) continue;
    if (certificate.size() == mostSteps) return std::nullopt;
    const auto step = ParseStep(line);
    if (!step) return std::nullopt;
    certificate.push_back(*step);
  }
  return certificate;
}

std::string CertificateText(const Certificate& certificate) {
  std::string text;
  for (const Step& step : certificate) {
    if (std::holds_alternative<PocklingtonStep>(step.by)) text += "pocklington ";
    text += DecimalText(step.n);
    std::visit([&](const auto& by) { text += StepText(by); }, step.by);
    text += '\n';
  }
  return text;
}

}  // namespace proof
