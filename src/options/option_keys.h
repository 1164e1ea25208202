// The names of the job options that the filter reads or writes, spelled in
// this one place, and the value that leaves a setting to the printer.
#pragma once

#include <string_view>

// The option value that leaves the printer's own setting in force.
inline constexpr std::string_view kPrinterSetting = "PrinterS";

// macOS print dialog settings: the PJL block and the form job ticket read
// them; jobs from other clients have them derived from standard options.
inline constexpr std::string_view kMacPrintKeyPrefix = "com.apple.print.";
inline constexpr std::string_view kJobNameKey = "com.apple.print.JobInfo.PMJobName";
inline constexpr std::string_view kJobOwnerKey = "com.apple.print.JobInfo.PMJobOwner";
inline constexpr std::string_view kCopiesKey = "com.apple.print.PrintSettings.PMCopies..n.";
inline constexpr std::string_view kDuplexingKey =
    "com.apple.print.PrintSettings.PMDuplexing..n.";
inline constexpr std::string_view kCopyCollateKey =
    "com.apple.print.PrintSettings.PMCopyCollate..b.";
inline constexpr std::string_view kFirstPageSourceKey =
    "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1";
inline constexpr std::string_view kTotalPagesKey =
    "com.apple.print.PrintSettings.PMTotalBeginPages..n.";
inline constexpr std::string_view kOrientationKey =
    "com.apple.print.PrintSettings.PMOrientation..n.";

// Standard CUPS and IPP options: the macOS settings are derived from them;
// media and InputSlot are also read by the PJL block and the ticket.
inline constexpr std::string_view kSidesKey = "sides";
inline constexpr std::string_view kDuplexKey = "Duplex";
inline constexpr std::string_view kCollateKey = "collate";
inline constexpr std::string_view kDocumentHandlingKey = "multiple-document-handling";
inline constexpr std::string_view kMediaKey = "media";
inline constexpr std::string_view kPageSizeKey = "PageSize";
inline constexpr std::string_view kInputSlotKey = "InputSlot";

// Held-job routing: the PJL block reads them; the queue's PPD default of
// PrintTo is left out when it only prints at once.
inline constexpr std::string_view kPrintToKey = "PrintTo";
inline constexpr std::string_view kHeldUserKey = "JRUSERNAME";
inline constexpr std::string_view kHoldKeyKey = "JRHOLDKEY";
// The PrintTo value that prints at once, without held-job routing; its
// copies travel in the ticket rather than in the PJL quantity.
inline constexpr std::string_view kPrintDirectly = "JRPrinter";
// The PrintTo value of a private held job, released by its PIN (JRHOLDKEY).
inline constexpr std::string_view kPrintConfidential = "JRConf";

// PPD printer settings that the PJL block turns into SET lines; the ticket
// reads the toner darkness as well.
inline constexpr std::string_view kTonerDarknessKey = "TonerDarkness";
inline constexpr std::string_view kPictureGradeKey = "PictureGrade";
inline constexpr std::string_view kSeparatorPagesKey = "SepPages";
inline constexpr std::string_view kSeparatorSourceKey = "SepSource";
inline constexpr std::string_view kJobOffsetKey = "Offset";
inline constexpr std::string_view kCyanBalanceKey = "CyanBalance";
inline constexpr std::string_view kMagentaBalanceKey = "MagentaBalance";
inline constexpr std::string_view kYellowBalanceKey = "YellowBalance";
inline constexpr std::string_view kBlackBalanceKey = "BlackBalance";
inline constexpr std::string_view kMediaColorKey = "MediaColor";
inline constexpr std::string_view kGrayCorrectionKey = "GrayCorrection";
inline constexpr std::string_view kManualRgbImageKey = "ManualRGBImage";
inline constexpr std::string_view kManualRgbTextKey = "ManualRGBText";
inline constexpr std::string_view kManualRgbGraphicsKey = "ManualRGBGraphics";
inline constexpr std::string_view kManualCmykKey = "ManualCMYK";
inline constexpr std::string_view kColorSaverKey = "ColorSaver";
inline constexpr std::string_view kBlackOnlyKey = "BLW";
inline constexpr std::string_view kBlankPageKey = "QrlBlankPage";
inline constexpr std::string_view kBrightnessKey = "QrlBrightness";
inline constexpr std::string_view kContrastKey = "QrlContrast";
inline constexpr std::string_view kSaturationKey = "QrlSaturation";
inline constexpr std::string_view kImageSmoothingKey = "ImageSmoothing";
inline constexpr std::string_view kLineDetailKey = "QrlLineDetail";

// PPD printer settings that only the form job ticket reads.
inline constexpr std::string_view kMediaTypeKey = "MediaType";
inline constexpr std::string_view kResolutionKey = "Resolution";
inline constexpr std::string_view kHolePunchKey = "HolePunch";
inline constexpr std::string_view kStapleJobKey = "StapleJob";
inline constexpr std::string_view kOutputBinKey = "OutputBin";

// IPP job attributes that CUPS passes on as options of the same name, for
// the settings that the queue's PPD options do not carry for a client.
inline constexpr std::string_view kJobPasswordKey = "job-password";
inline constexpr std::string_view kJobPasswordEncryptionKey = "job-password-encryption";
inline constexpr std::string_view kAccountingUserKey = "job-accounting-user-id";
inline constexpr std::string_view kFinishingsKey = "finishings";
inline constexpr std::string_view kPrinterResolutionKey = "printer-resolution";
inline constexpr std::string_view kPrintQualityKey = "print-quality";
inline constexpr std::string_view kPrintColorModeKey = "print-color-mode";
inline constexpr std::string_view kMediaSourceKey = "media-source";
inline constexpr std::string_view kMediaTypeAttributeKey = "media-type";
inline constexpr std::string_view kOutputBinAttributeKey = "output-bin";
