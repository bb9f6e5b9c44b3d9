// The mobile carriers whose handset mail carries pictographs, and how a mail's sender tells
// which of them wrote it.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pictolumen {

enum class Carrier { kAu, kDocomo, kSoftbank };

inline constexpr std::array<Carrier, 3> kCarriers{Carrier::kAu, Carrier::kDocomo,
                                                  Carrier::kSoftbank};

// The carrier's name as users and options write it: "au", "docomo", "softbank".
std::string_view CarrierName(Carrier carrier);

// The carrier named `name` (CarrierName's, in any letter case), or none.
std::optional<Carrier> CarrierNamed(std::string_view name);

// The carrier whose handsets send mail from `domain`, compared without regard to ASCII letter
// case: au (ezweb.ne.jp, au.com), docomo (docomo.ne.jp), SoftBank (softbank.ne.jp,
// i.softbank.jp, disney.ne.jp and the nine regional vodafone.ne.jp domains); none for any other.
// CarrierOfDomain("EZweb.ne.jp") == Carrier::kAu; CarrierOfDomain("vodafone.ne.jp") is none.
std::optional<Carrier> CarrierOfDomain(std::string_view domain);

}  // namespace pictolumen
