#include "resources/StringTable.h"

#include <array>
#include <utility>

namespace orelith {
namespace {

// The texts stand exactly as the program shows or writes them, odd spelling
// included; the report fragments carry their backslashes on purpose.
constexpr std::pair<int, std::string_view> kStrings[] = {
    {1, "Unable to open file."},
    {2, "Unable to read from file."},
    {3, "File is a compressed ST6 image."},
    {4, "File is no ST6 image."},
    {5, "Unable to create file."},
    {7, "Unable to save file."},
    {8, "Unable to open file DIB01.DAT."},
    {9, "Out of Memory"},
    {10, "Unable to calculate coordinats in CMD."},
    {11, "Unable to open file DIB02.DAT."},
    {13, "Too many pixel in star."},
    {14, "Too many stars in image."},
    {15, "Minimisation was not successful."},
    {16, "Unable to initialize Common Controls."},
    {17, "Unable to create Listview column."},
    {18, "Unable to extend filename."},
    {19, "Star #%3d\nBlue brightness: %5d/%2d\nGreen brightnesst: %5d/%2d\n@(%3d|%3d)"},
    {20, "Too many calibration stars."},
    {21, "Please enter a value for V-Magnitude!"},
    {22, "Open blue image"},
    {23, "Open green image"},
    {24, "Save output"},
    {26, "Star"},
    {27, "Blue brightness"},
    {28, "lg(B)"},
    {29, "Blue pixel"},
    {30, "Green brightness"},
    {31, "lg(V)"},
    {32, "Green pixel"},
    {33, "B/V magnitude"},
    {34, "Blue"},
    {35, "Green"},
    {36, "Custom colors"},
    {37, "Auto update"},
    {38, "Search stars"},
    {39, "Compare images"},
    {40, "Calculate magnitudes"},
    {41, "Move"},
    {42, "Reset selection"},
    {43, "Display calibrate curve"},
    {54,
     "      <td valign=\\\"Top\\\">Star #<br>\n      </td>\n      <td "
     "valign=\\\"Top\\\">Position<br>\n      </td>\n      <td "
     "valign=\\\"Top\\\">Brightness(B)<br>\n      </td>\n      <td valign=\\\"Top\\\">lg(B)<br>\n  "
     "    </td>\n      <td valign=\\\"Top\\\">Mag(B)<br>\n      </td>\n      <td "
     "valign=\\\"Top\\\">Brightness(V)<br>\n      </td>\n      <td valign=\\\"Top\\\">lg(V)<br>\n  "
     "    </td>\n      <td valign=\\\"Top\\\">Mag(V)<br>\n      </td>\n      <td "
     "valign=\\\"Top\\\">B-V<br>\n      </td>\n      <td valign=\\\"Top\\\">V<br>\n      </td>\n"},
    {55,
     "    </tr>\n  \n  </tbody>\n</table>\n<br>\nBlue: %d Stars in %s above %d<br>\nGreen: %d "
     "Stars in %s above %d<br>\n%d corresponding stars<br>\n"},
    {56, "Blue: B(x)="},
    {57, "<br>\nGreen: V(x)="},
    {58,
     "      <td valign=\\\"Top\\\">Star #<br>\n      </td>\n      <td "
     "valign=\\\"Top\\\">Position<br>\n      </td>\n      <td valign=\\\"Top\\\">B-V<br>\n      "
     "</td>\n      <td valign=\\\"Top\\\">V<br>\n      </td>\n"},
    {59,
     "ST6 Files (*.st6)ä*.st6äRed ST6 Files (*.r)ä*.räGreen ST6 Files (*.g)ä*.gäBlue ST6 Files "
     "(*.b)ä*.bäAll Files (*.*)ä*.*ä"},
    {60,
     "Html-Tabel (*.html)ä*.htmläMonochrome Bitmap (*.bmp)ä*.bmpä16 Color Bitmap (*.bmp)ä*.bmpä"},
    {61, "Set 1"},
    {62, "Set 2"},
    {63, "Set 3"},
    {67, "Move the cursor above a control to view help here."},
    {69,
     "This is the blue ST6 image. Use the Trackbars or the Textfeld to alter range and "
     "background."},
    {70,
     "This is the green ST6 image. Use the Trackbars or the Textfeld to alter range and "
     "background."},
    {71, "Use this Trackbar to adjust the range for the blue ST6 image."},
    {72, "Use this Trackbar to alter the range for the green ST6 image."},
    {73, "Use this Trackbar to alter the background for the blue ST6 image."},
    {74, "Use this Trackbar to alter the background for the green ST6 image."},
    {75,
     "Warum funktionieren rekursieve Beweise nicht? -Weil rekursieve Beweise nicht funktionieren."},
    {76, "Use this Textfield to alter the background for the blue ST6 image."},
    {77, "Use this Textfield to alter the background for the green ST6 image."},
    {78, "Use the colors configurated in Configuration->Colors... to display the blue ST6 image."},
    {79, "Use the colors configurated in Configuration->Colors... to display the green ST6 image."},
    {80, "Automaticylly update the blue ST6 image (usefull when dragging the Trackbars)."},
    {81, "Automaticylly update the green ST6 image (usefull when dragging the Trackbars)."},
    {82, "Search for stars in the blue ST6 image."},
    {83, "Search for stars in the blue ST6 image."},
    {84, "Compare the images and find corresponding stars."},
    {85, "Calculate the magnitudes of all stars."},
    {86, "Click on a row to select the star. Doubleclick on row to set the star's properties."},
    {87, "Use to shift the images against each other."},
    {88, "The amount in pixels the green image is shifted against the blue."},
    {89, "Move green image up."},
    {90, "Move green image right."},
    {91, "Move green image down."},
    {92, "Move green image left"},
    {93, "Reset the selected rectangle."},
    {94,
     "View the calibration stars entered blue magnitude in dependence on the logarithm of the "
     "cummulated brightness of the stars pixels."},
    {95,
     "View the calibration stars entered blue magnitude in dependence on the logarithm of the "
     "cummulated brightness of the stars pixels."},
    {96, "Set the first pair of cooresponding stars."},
    {97, "Set the first pair of cooresponding stars."},
    {98, "Set the first pair of cooresponding stars."},
    {99, "Click on a star to select it."},
    // Beyond the original table: Save asks before it replaces a loaded frame.
    {100, "This file is a loaded image. Replace it with the output?"},
    // Ours: what a step did, in the status bar.
    {110, "%s frame %s loaded."},
    {111,
     " Next: its background in the field below the panel (or Algorithm... > Backgrnd. autom.)."},
    {112, "%s: %d stars found above the background %d."},
    {113, "Images compared: offset %s, %d pairs. Double-click a pair to mark a calibration star."},
    {114,
     "Click a star in each panel, then \"Set 1\"; the next two pairs with \"Set 2\" and \"Set "
     "3\"."},
    {115,
     "Magnitudes of %d pairs calculated through %d calibration stars: RMS %s mag in V, %s in B-V."},
    {116, " Warnings: %d, as listed in \"Photometry warnings\"."},
    // Ours: the Help menu.
    {120, "Help"},
    {121, "Orelith Help"},
    {122, "About Orelith"},
    {123,
     "A measurement, step by step:\n"
     "1. File > Open Blue Image... (Ctrl+O) and Open Green Image... (Ctrl+Shift+O).\n"
     "2. Type each frame's background into the field under its panel (the sample frames: "
     "1130), or tick \"Backgrnd. autom.\" in Configuration > Algorithm.... Drag a rectangle "
     "over the blue panel to search only there.\n"
     "3. \"Search stars\" under each panel, then \"Compare images\".\n"
     "4. Double-click a pair with known V and B-V, tick \"Calibration star\", type V and "
     "B-V, OK; three stars or more.\n"
     "5. \"Calculate magnitudes\", then File > Save... (Ctrl+S) for the HTML table or a "
     "colour-magnitude diagram.\n\n"
     "The status bar explains the control under the pointer."},
    {124,
     "Orelith %1\n\n"
     "Two-colour (B, V) photometry of a star field from two CCD frames.\n\n"
     "Free software under the GNU General Public License, version 3 or later; it comes "
     "with no warranty."},
    // Ours: FITS frames; the reason a file is refused follows the message.
    {130, "Unable to read FITS image."},
    {131, "FITS Files (*.fits, *.fit, *.fts, *.fits.fz)ä*.fits;*.fit;*.fts;*.fits.fzä"},
    // Ours: the "Photometry configuration" dialog's refusals.
    {140, "The saturation level must lie between 1 and 65535, or be found automatically."},
    {141, "The aperture radius must lie between 0.5 and 20 pixels, or be found automatically."},
    {142,
     "The sky annulus needs an inner radius above 0 and an outer radius above it, at most "
     "30 pixels."},
    {143,
     "The sky annulus must start outside the aperture: its inner radius at least the "
     "aperture radius."},
    {144, "The gain must lie between 0.01 and 1000 electrons per count."},
    {145, "The read noise must lie between 0 and 1000 electrons."},
};

}  // namespace

std::string_view stringText(StringId id) {
  for (const auto& [number, text] : kStrings) {
    if (number == static_cast<int>(id)) return text;
  }
  return {};
}

}  // namespace orelith
