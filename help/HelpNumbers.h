#pragma once
// Help numbers of the controls that open a help topic (1000 to 1999) or a text popup from the
// help file (2000 and up). Numbers below 1000 show the control's own hint. The compiled help
// maps every number here to its page (data/help/helpmap.txt) or popup (data/help/popups.txt);
// a test checks that each number a control uses resolves.
namespace velm::help {

// Topics.
inline constexpr int kTopicHome = 1000;            // start page
inline constexpr int kTopicQuickStart = 1010;      // one design from an empty form to a report
inline constexpr int kTopicWindow = 1020;          // the main window, keys, F1 and what's-this
inline constexpr int kTopicInputs = 1100;          // every input
inline constexpr int kTopicRelationGroups = 1150;  // fields derived from each other
inline constexpr int kTopicResults = 1200;         // every result
inline constexpr int kTopicFlooding = 1300;        // flooding correlations (method selector)
inline constexpr int kTopicAcceleration = 1330;    // convergence acceleration selector
inline constexpr int kTopicPackingFactors = 1340;  // wet packing factors and their fits
inline constexpr int kTopicHoldupWetting = 1400;   // holdup and minimum wetting rate
inline constexpr int kTopicMassTransfer = 1450;    // Onda's film coefficients, HTU, HETP
inline constexpr int kTopicBasis = 1500;           // calculation basis: literature or legacy
inline constexpr int kTopicRating = 1550;          // rating a given column, load cases
inline constexpr int kTopicColumn = 1560;          // the whole column: stages, sections, beds
inline constexpr int kTopicAnalysis = 1570;        // calibration, uncertainty, sensitivity
inline constexpr int kTopicFindings = 1600;        // validity findings and what to do
inline constexpr int kTopicPackings = 1700;        // the packing table, adding a packing
inline constexpr int kTopicChart = 1710;           // the operating-performance chart
inline constexpr int kTopicReport = 1720;          // report and printing
inline constexpr int kTopicImport = 1730;          // simulator import
inline constexpr int kTopicProjects = 1740;        // project files
inline constexpr int kTopicBatch = 1750;           // velm --batch and velm-calc
inline constexpr int kTopicAbout = 1800;           // about this program, updates, contact
inline constexpr int kTopicReferences = 1900;      // literature

// Text popups.
inline constexpr int kPopupCalKf = 2001;  // "计算" beside the flooding packing factor
inline constexpr int kPopupCalKp = 2002;  // "计算" beside the pressure-drop packing factor
inline constexpr int kPopupFloodFraction = 2500;  // flood fraction of the chosen column

}  // namespace velm::help
