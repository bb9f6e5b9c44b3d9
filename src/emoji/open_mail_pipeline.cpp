#include "emoji/open_mail_pipeline.h"

#include <utility>
#include <vector>

#include "emoji/mail_conversion.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// Whether the settings show a carrier's mail: a missing key means shown, so that settings files
// written before the keys existed show every carrier. Only the sender's carrier is asked.
bool CarrierShown(const std::string& settings_file, Carrier carrier) {
  const auto index = static_cast<std::size_t>(carrier);
  return index >= kCarrierCheckBoxes.size() ||
         CarrierShownInIni(settings_file, kCarrierCheckBoxes[index]);
}

}  // namespace

std::string StreamToString(TMemoryStream& stream) {
  stream.Seek(0);
  return stream.Read(stream.Size());
}

void RunOpenMailPipeline(const OpenMailHost& host) {
  const std::string settings_file = SettingsFilePath();
  if (ReadIniFlag(settings_file, kSettingsSection, kEnableKey) != "-1") return;
  ConversionOptions options;
  options.carriers_shown = [&settings_file](Carrier carrier) {
    return CarrierShown(settings_file, carrier);
  };
  const char* const source = host.GetSource();
  ConvertedMail mail = ConvertMail(source != nullptr ? source : "", options);
  if (mail.outcome == ConversionOutcome::kConverted) host.SetSource(std::move(mail.source));
}

}  // namespace pictolumen
