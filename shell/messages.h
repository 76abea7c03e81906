#pragma once
// The process-wide message table and the language file that fills it.
#include <QMap>
#include <QString>

constexpr int MessageCount = 1025;

// The messages the code shows by number (captions are found through the controls' tags).
enum class Msg : int {
    // Values: written right after the number.
    WindUnit = 25,
    PrecipitationUnit = 73,
    HeightUnit = 77,
    Unavailable = 58,
    StormWeak = 59,
    StormModerate = 60,
    StormStrong = 61,
    // Run commands.
    Busy = 42,            // download all refused while another runs
    AllDone = 43,         // download all's caption at rest
    LongRange = 62,       // warning past step 36
    // About box: the version line, then the text.
    AboutVersion = 44,
    AboutText = 45,
    // Downloading one kind, followed by '+6h'; the map kinds carry these numbers.
    DownloadingP500 = 47,
    DownloadingTemp = 48,
    DownloadingPrec = 49,
    DownloadingNebu = 50,
    DownloadingP850 = 51,
    DownloadingOrag = 52,
    DownloadingVent = 53,
    StepDone = 54,        // the maps of a step have arrived
    // Archive and window title.
    ArchiveDownloading = 55,
    ArchiveTitle = 56,
    RunTitle = 76,
    HourSuffix = 72,
    // Retrieval status.
    Searching = 63,       // newest-run probe under way
    NoServer = 64,        // message box: no map server answered
    NoServerStatus = 65,
    NewRun = 66,
    UpToDate = 67,
    NotAMap = 78,         // the probe got an answer that is not a map
    Loading = 80,         // over the map while it is fetched
    Failures = 81,        // %1 maps failed, %2 the last reason
    StopTip = 82,         // the control that cancels what runs
    ArchiveFailed = 83,   // followed by the reason
    Trying = 84,          // followed by the server the probe tries
    Cancelled = 85,
    // Map view controls and their keys.
    FitView = 86,
    HomeView = 87,
    ZoomInTip = 88,
    ZoomOutTip = 89,
    PanUpTip = 90,
    PanDownTip = 91,
    PanLeftTip = 92,
    PanRightTip = 93,
    CopyAddressTip = 94,
    FitViewTip = 95,
    HomeViewTip = 96,
    HelpTip = 97,
    AnimateTip = 98,
    StepKeysTip = 99,
    ImpossibleDate = 102,  // %1: the date as typed, dd/mm/yyyy
    RunDeleteQuestion = 103,
    RunDeleted = 104,      // %1: how many maps
    AddressCopied = 105,   // followed by the address
    ChooseAPlace = 106,    // in the forecast panels until a place is chosen
    MaxStepTip = 107,
    // Meteogram window: 110 to 129.
    Meteogram = 110,       // the button that opens it, and its title
    MeteogramTitle = 111,  // %1: the run, as slotText writes it
    MeteogramTip = 112,
    MeteogramNoPlace = 113,
    MeteogramComing = 114,       // %1: maps still on their way
    MeteogramUnavailable = 115,  // %1: maps that could not be had
    MeteogramReading = 116,
    MeteogramSave = 117,
    MeteogramSaveTitle = 118,
    MeteogramSaved = 119,        // %1: the file
    MeteogramSaveFailed = 120,   // %1: the file
    MeteogramTemperature = 121,  // the quantities, in the legend and the readout
    MeteogramTemperature850 = 122,
    MeteogramPrecipitation = 123,
    MeteogramCloudCover = 124,
    MeteogramWind = 125,
    MeteogramStorm = 126,
    MeteogramHint = 127,
    // Export: 130 to 149.
    ExportImage = 130,
    ExportAnimation = 131,
    ExportNoMap = 132,          // "Exporter l'image" without a map on display
    ExportImageSaved = 133,     // %1: the file
    ExportAnimationSaved = 134, // %1: how many frames, %2: the file
    ExportNoSteps = 135,        // no map of the kind in the cache
    ExportCurrentRunOnly = 136, // the animation asked for in archive mode
    ExportUnwritable = 137,     // %1: the folder, %2: the system's reason
    ExportWriteFailed = 138,    // %1: the file, %2: the system's reason
    ExportCancelled = 139,
    ExportProgress = 140,       // %1 frames of %2 done
    ExportCancel = 141,         // the progress dialog's button
    PngFilter = 142,
    GifFilter = 143,
    CaptionValid = 144,         // caption band of the exported image: %1 the valid time
    CaptionRun = 145,           // %1: the run
    CaptionArchive = 146,       // %1: the day
    ExportImageTitle = 147,     // titles of the save and progress dialogs
    ExportAnimationTitle = 148,
    // Language choice and texts the code once wrote itself: 150 to 199.
    Language = 150,        // caption of the language list
    LanguageName = 151,    // the language's own name, as the list shows it
    LocaleName = 152,      // its locale for dates and numbers ("fr_FR")
    LanguageNote = 153,    // the status line once the language changed
    LanguageProblem = 154, // %1: the language asked for
    SlotText = 155,        // %1: long date, %2: hour followed by message 72
    StepFrameTitle = 156,  // %1: hours after the current slot ("18h")
    StepFrameStart = 157,  // the same frame before the first step is shown
    ArchiveDone = 158,
    NoPicture = 159,
    ClickOn = 160,         // printed on the map at start-up
    DemoCredit = 161,      // under the map when the built-in server serves the maps
    NotComputed = 162,     // the forecast panel's cloud cover without a map
    PercentUnit = 163,     // written right after a number
    HelpTitle = 164,
    HelpMissing = 165,     // %1: file, %2: folder
    HelpUnreadable = 166,  // %1: file
    Copyright = 167,
    TransferCancelled = 168,
    NoAnswer = 169,        // %1: seconds
    MapTooLarge = 170,     // %1: bytes announced
    MapTooLargeOver = 171, // %1: the limit in bytes
    BadAddress = 172,      // followed by the address
    MapIncomplete = 173,
    ScreenshotFailed = 174, // %1: file, %2: reason
    // Command line: the problems, then the usage, one line each.
    TooManyHosts = 175,    // %1: how many were given
    MissingValue = 176,    // %1: the option
    EmptyValue = 177,      // %1: the option, without its dashes
    UnknownArgument = 178, // %1: the word
    UsageFirst = 179,
    UsageLast = 193,
    // Installation: 200 to 209.
    DataFileMissing = 200,  // %1: the file's full path
};

constexpr bool isMessageNumber(qint64 n) { return n >= 0 && n < MessageCount; }

// Message n, or an empty text for a number outside 0..1024 or never loaded. The table
// starts with the built-in French texts.
QString msg(int n);
inline QString msg(Msg m) { return msg(int(m)); }
// The built-in French text, whatever language the table holds.
QString builtInMsg(int n);

namespace Messages {
void set(int n, const QString &text);  // out of range: ignored
void clear();                          // every message empty, built-in ones included
void loadBuiltIn();                    // the French texts compiled into the program
}

// What a language file holds, parsed without touching the table.
struct ParsedLanguage {
    QMap<int, QString> messages;  // a later line with the same number wins
    bool complete = true;         // false: stopped at a number outside 0..1024
    int stopLine = 0;             // 1-based line of that number, 0 when complete
};
ParsedLanguage parseLanguage(const QString &text);

// Stores the parsed messages in the table; returns ParsedLanguage::complete.
bool loadLanguageText(const QString &text);

// Fills the table with the built-in texts, then from <folder>/<language>.txt, whose lines
// win one by one. Returns false when the file could not be
// read or loading stopped at a key outside 0..1024 (lines before it stay loaded).
bool LoadLanguage(const QString &folder, const QString &language);
