// SPDX-License-Identifier: MIT
#include "accounting/SnapshotText.h"

#include "accounting/Formats.h"
#include "platform/Codepage.h"

namespace tarifuhr {
namespace {

constexpr const char* kNoFigure = " - ";

std::string CutToWidth(const std::string& text, const TextWidthFn& width, int pixels, size_t keep) {
  return width(text) > pixels ? FirstCharacters(text, keep) : text;
}

}  // namespace

FigureTexts TextsOfFigures(const std::optional<StripFigures>& figures, const RegionalSettings& rs) {
  FigureTexts texts;
  if (!figures) {
    texts.fill(kNoFigure);
    return texts;
  }
  const StripFigures& f = *figures;
  const auto at = [&texts](Figure figure) -> std::string& { return texts[static_cast<size_t>(figure)]; };
  at(Figure::SecondsToday) = " " + FormatDuration(f.secondsToday);
  switch (f.allowance) {
    case AllowanceKind::Time:
      at(Figure::DailyAllowance) = " " + FormatDuration(f.dailyAllowanceSeconds);
      at(Figure::LeftToday) = " " + FormatDuration(f.secondsLeftToday);
      break;
    case AllowanceKind::Volume:
      at(Figure::DailyAllowance) = " " + FormatVolume(f.volumeAllowedToday, rs);
      at(Figure::LeftToday) = " " + FormatVolume(f.volumeLeftToday, rs);
      break;
    case AllowanceKind::None:
      // Nothing is allowed or left of a budget there is not.
      at(Figure::DailyAllowance) = at(Figure::LeftToday) = kNoFigure;
      break;
  }
  at(Figure::ConnectionBytes) =
      f.hasVolumeLimit ? " " + FormatVolume(f.volumeUsed, rs) + " / " + FormatVolume(f.volumeLimit, rs)
                       : " " + FormatBytes(f.connectionBytes) + "ytes";
  at(Figure::PeriodCosts) = " " + FormatMoney(f.periodCosts, rs);
  return texts;
}

FigureTexts TipsOfFigures(const std::optional<StripFigures>& figures) {
  FigureTexts tips;
  const auto at = [&tips](Figure figure) -> std::string& { return tips[static_cast<size_t>(figure)]; };
  at(Figure::SecondsToday) = "Online heute";
  at(Figure::DailyAllowance) = "Erlaubt pro Tag";
  at(Figure::LeftToday) = "Heute noch frei";
  at(Figure::ConnectionBytes) =
      figures && figures->hasVolumeLimit ? "Volumen verbraucht / Limit" : "Datenmenge dieser Verbindung";
  at(Figure::PeriodCosts) = "Kosten in diesem Zeitraum";
  return tips;
}

std::string StripTipText(const std::string& caption, const std::string& userSection) {
  if (userSection.empty()) return caption + " – kein Benutzer gewählt";
  // "Hans (Hans.tfd)": the name is what stands before the file's parentheses.
  std::string name = userSection;
  if (const size_t open = name.rfind(" ("); open != std::string::npos && name.back() == ')') name.erase(open);
  return caption + " – Benutzer: " + OneLine(name);
}

std::string OverviewRowText(const OverviewRow& r, const TextWidthFn& width, const RegionalSettings& rs,
                            const OverviewColumnRoom& room) {
  std::string row = CutToWidth(OneLine(r.name), width, room.name, 15) + "\t";
  row += CutToWidth(FormatDuration(r.periodSeconds), width, room.time, 8) + "\t";
  row += CutToWidth(FormatDuration(r.dailyAllowanceSeconds), width, room.timePerDay, 8) + "\t";
  row += (r.secondsLeftToday ? CutToWidth(FormatDuration(*r.secondsLeftToday), width, room.leftToday, 8)
                             : "00:00:00") +
         "\t";
  if (r.volumeLeftInPeriod) {
    row += FormatVolume(*r.volumeLeftInPeriod, rs) + "\t";
  } else {
    std::string bytes = FormatBytes(r.bytes);
    if (width(FormatBytes(r.storedBytes)) >= 66) bytes = FirstCharacters(bytes, 11);
    row += bytes + "\t";
  }
  row += " " + FormatMoney(r.periodCosts, rs);
  return row;
}

std::string VolumeStatusText(const std::optional<VolumeLeft>& volume, const RegionalSettings& rs) {
  if (!volume) return {};
  return "heute frei: " + FormatVolume(volume->today, rs) +
         "\nim Monat frei: " + FormatVolume(volume->inPeriod, rs);
}

}  // namespace tarifuhr
