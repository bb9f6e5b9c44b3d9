#include "emoji/open_mail_pipeline.h"

#include <utility>
#include <vector>

#include "emoji/mail_conversion.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// The carriers whose mail the settings show: a missing key means shown, so that settings files
// written before the keys existed show every carrier.
std::vector<Carrier> CarriersShown(const std::string& settings_file) {
  std::vector<Carrier> shown;
  for (std::size_t i = 0; i < kCarriers.size(); ++i) {
    if (CarrierShownInIni(settings_file, kCarrierCheckBoxes[i])) shown.push_back(kCarriers[i]);
  }
  return shown;
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
  options.carriers_shown = CarriersShown(settings_file);
  const char* const source = host.GetSource();
  ConvertedMail mail = ConvertMail(source != nullptr ? source : "", options);
  if (mail.outcome == ConversionOutcome::kConverted) host.SetSource(std::move(mail.source));
}

}  // namespace pictolumen
