#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "shell/window.h"

/// Kinds of control the main window is built from.
enum class ControlKind { PictureBox, Label, ListBox, Frame, TextBox, CommandButton, HScrollBar };

/// Which container a control sits in; positions are relative to that container.
enum class Container { Window, ProgressFrame, PersonFrame };

/// One row of the window's layout, positions and sizes in twips.
struct ControlLayout {
  ControlId Id;
  std::u16string_view Name;  ///< the control's original name, kept for the window's object names
  ControlKind Kind;
  Container Parent;
  std::u16string_view Text;
  int Left;
  int Top;
  int Width;
  int Height;
};

/// Client area of the main window in twips.
inline constexpr int kWindowWidthTwips = 8790;
inline constexpr int kWindowHeightTwips = 4590;
/// Twips per pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixelAt96Dpi = 15;
/// Width of the progress frame's inside (its width less a two-pixel border on each side).
inline constexpr int kProgressInnerWidthTwips = 6375 - 4 * kTwipsPerPixelAt96Dpi;
/// The progress bar's own width is set at run time; this marks it in the table.
inline constexpr int kWidthSetAtRunTime = -1;

/// The controls in tab order.
inline constexpr std::array<ControlLayout, 21> kWindowLayout{{
    {ControlId::ProgressFrame, u"processBar_Parent", ControlKind::PictureBox, Container::Window,
     u"", 120, 1440, 6375, 255},
    {ControlId::ProgressBar, u"processBar", ControlKind::Label, Container::ProgressFrame, u"", 0, 0,
     kWidthSetAtRunTime, 255},
    {ControlId::StatusLabel, u"Status", ControlKind::Label, Container::Window, u"", 0, 4320, 8775,
     255},
    {ControlId::FolderCountCaption, u"Label1", ControlKind::Label, Container::Window,
     u"Anzahl Verzeichnisse:", 120, 120, 2055, 255},
    {ControlId::FileCountCaption, u"Label2", ControlKind::Label, Container::Window,
     u"Anzahl Dateien:", 120, 480, 1935, 255},
    {ControlId::TotalSizeCaption, u"Label3", ControlKind::Label, Container::Window, u"Gesamtgröße:",
     120, 840, 1815, 255},
    {ControlId::FolderCount, u"anzFolders", ControlKind::Label, Container::Window, u"", 2280, 120,
     2295, 255},
    {ControlId::FileCount, u"anzFiles", ControlKind::Label, Container::Window, u"", 2280, 480, 2295,
     255},
    {ControlId::TotalSize, u"allSize", ControlKind::Label, Container::Window, u"", 2280, 840, 2295,
     255},
    {ControlId::PersonList, u"PersonList", ControlKind::ListBox, Container::Window, u"", 4800, 120,
     3855, 1230},
    {ControlId::PersonFrame, u"PersonFrame", ControlKind::Frame, Container::Window, u"", 120, 1800,
     8535, 2415},
    {ControlId::HitCountCaption, u"Label4", ControlKind::Label, Container::PersonFrame,
     u"Häufigkeit:", 120, 240, 1095, 255},
    {ControlId::HitCount, u"PersonHäufigkeit", ControlKind::Label, Container::PersonFrame, u"",
     1200, 240, 975, 255},
    {ControlId::HitNumberCaption, u"Label5", ControlKind::Label, Container::PersonFrame,
     u"Fundstelle:", 120, 600, 975, 255},
    {ControlId::HitNumber, u"PersonFundstelle", ControlKind::Label, Container::PersonFrame, u"",
     1200, 600, 975, 255},
    {ControlId::PathCaption, u"Label6", ControlKind::Label, Container::PersonFrame, u"gefunden in:",
     120, 960, 1695, 255},
    {ControlId::PathBox, u"PersonFundstelleVerzeichnis", ControlKind::TextBox,
     Container::PersonFrame, u"", 120, 1200, 8295, 765},
    {ControlId::SortButton, u"SortList", ControlKind::CommandButton, Container::Window,
     u"Liste sortieren", 6600, 1320, 2055, 255},
    {ControlId::HitSelector, u"PersonFundstellenAuswahl", ControlKind::HScrollBar,
     Container::PersonFrame, u"", 2280, 600, 6135, 255},
    {ControlId::OpenButton, u"Command1", ControlKind::CommandButton, Container::PersonFrame,
     u"öffnen mit Notepad", 120, 2040, 1935, 255},
    {ControlId::DeleteButton, u"Command2", ControlKind::CommandButton, Container::PersonFrame,
     u"endgültig löschen", 6240, 2040, 2175, 255},
}};
