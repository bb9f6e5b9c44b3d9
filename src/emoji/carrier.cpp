#include "emoji/carrier.h"

#include <utility>

#include "common/text.h"

namespace pictolumen {
namespace {

constexpr std::pair<std::string_view, Carrier> kMailDomains[] = {
    {"ezweb.ne.jp", Carrier::kAu},
    {"au.com", Carrier::kAu},
    {"docomo.ne.jp", Carrier::kDocomo},
    {"softbank.ne.jp", Carrier::kSoftbank},
    {"i.softbank.jp", Carrier::kSoftbank},
    {"disney.ne.jp", Carrier::kSoftbank},
    {"d.vodafone.ne.jp", Carrier::kSoftbank},
    {"h.vodafone.ne.jp", Carrier::kSoftbank},
    {"t.vodafone.ne.jp", Carrier::kSoftbank},
    {"c.vodafone.ne.jp", Carrier::kSoftbank},
    {"k.vodafone.ne.jp", Carrier::kSoftbank},
    {"r.vodafone.ne.jp", Carrier::kSoftbank},
    {"n.vodafone.ne.jp", Carrier::kSoftbank},
    {"s.vodafone.ne.jp", Carrier::kSoftbank},
    {"q.vodafone.ne.jp", Carrier::kSoftbank},
};

}  // namespace

std::string_view CarrierName(Carrier carrier) {
  switch (carrier) {
    case Carrier::kDocomo:
      return "docomo";
    case Carrier::kSoftbank:
      return "softbank";
    case Carrier::kAu:
      break;
  }
  return "au";
}

std::optional<Carrier> CarrierNamed(std::string_view name) {
  for (const Carrier carrier : kCarriers) {
    if (CompareIgnoringCase(name, CarrierName(carrier)) == 0) return carrier;
  }
  return std::nullopt;
}

std::optional<Carrier> CarrierOfDomain(std::string_view domain) {
  for (const auto& [carrier_domain, carrier] : kMailDomains) {
    if (CompareIgnoringCase(domain, carrier_domain) == 0) return carrier;
  }
  return std::nullopt;
}

}  // namespace pictolumen
