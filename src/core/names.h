#pragma once
// The objectName of every field and of every control the code refers to, so
// that a misspelt name does not compile. The sheet's names are its design's:
// the numbers follow the order the controls were drawn in, not the grid.

namespace Field {
inline constexpr char AduC1[] = "Text1";
inline constexpr char AduC2[] = "Text2";
inline constexpr char AduC3[] = "Text3";
inline constexpr char AduVariable[] = "Text4";
inline constexpr char MagnitudeC1[] = "Text5";
inline constexpr char MagnitudeC2[] = "Text6";
inline constexpr char MagnitudeC3[] = "Text7";
inline constexpr char RatioC2[] = "Text8";
inline constexpr char RatioC1[] = "Text9";
inline constexpr char RatioC3[] = "Text10";
inline constexpr char MagnitudeVariable[] = "Text11";
inline constexpr char MagnitudeWithC1[] = "Text12";
inline constexpr char MagnitudeWithC2[] = "Text13";
inline constexpr char MagnitudeWithC3[] = "Text14";
inline constexpr char MagnitudeError[] = "Text15";
inline constexpr char RatioVariable[] = "Text16";
inline constexpr char Date[] = "Text17";
inline constexpr char JulianDate[] = "Text18";
inline constexpr char Author[] = "Text19";
inline constexpr char Object[] = "Text20";
inline constexpr char Notes[] = "Text21";
inline constexpr char Filter[] = "Text22";
inline constexpr char ColourC1[] = "Text23";
inline constexpr char ColourC2[] = "Text24";
inline constexpr char ColourC3[] = "Text25";
inline constexpr char ColourVariable[] = "Text26";
inline constexpr char Slope[] = "Text27";
inline constexpr char Calibrated[] = "Text28";
inline constexpr char CalibratedError[] = "Text29";
inline constexpr char CalibratedWithC1[] = "Text30";
inline constexpr char CalibratedWithC2[] = "Text31";
inline constexpr char CalibratedWithC3[] = "Text32";
inline constexpr char TemperatureC1[] = "Text33";
inline constexpr char TemperatureC2[] = "Text34";
inline constexpr char TemperatureC3[] = "Text35";
inline constexpr char TemperatureVariable[] = "Text36";
inline constexpr char TypedTemperature[] = "Text37";
inline constexpr char ReportFile[] = "NomeFile";
} // namespace Field

namespace Button {
inline constexpr char Magnitude[] = "Command1";
inline constexpr char ResetAll[] = "Command2";
inline constexpr char MagnitudeRatio[] = "Command3";
inline constexpr char ResetCounts[] = "Command4";
inline constexpr char FilterV[] = "Command5";
inline constexpr char FilterI[] = "Command6";
inline constexpr char FilterR[] = "Command7";
inline constexpr char Exit[] = "Command8";
inline constexpr char ConvertToR[] = "Command9";
inline constexpr char ConvertToB[] = "Command10";
inline constexpr char FilterB[] = "Command50";
inline constexpr char FilterUV[] = "Command51";
inline constexpr char ResetParticulars[] = "Command52";
inline constexpr char LoadColourVariable[] = "Command53";
inline constexpr char LoadColourC1[] = "Command54";
inline constexpr char LoadMagnitudeC1[] = "Command57";
inline constexpr char LoadMagnitudeC2[] = "Command58";
inline constexpr char LoadMagnitudeC3[] = "Command59";
inline constexpr char SaveReport[] = "Command60";
inline constexpr char LoadColourC2[] = "Command61";
inline constexpr char LoadColourC3[] = "Command62";
inline constexpr char LoadSlope[] = "Command63";
inline constexpr char SaveColourVariable[] = "Command64";
inline constexpr char SaveColourC1[] = "Command65";
inline constexpr char SaveColourC2[] = "Command66";
inline constexpr char SaveColourC3[] = "Command67";
inline constexpr char SaveSlope[] = "Command68";
inline constexpr char CalibratedMagnitude[] = "Command69";
inline constexpr char VariableColour[] = "Command70";
inline constexpr char SaveMagnitudeC1[] = "btnSalva";
inline constexpr char SaveMagnitudeC2[] = "btnSalva2";
inline constexpr char SaveMagnitudeC3[] = "btnSalva3";
} // namespace Button

// The labels whose captions go into the report.
namespace Label {
inline constexpr char MagnitudeRow[] = "Label6";
inline constexpr char Date[] = "Label2";
inline constexpr char JulianDate[] = "Label3";
inline constexpr char Author[] = "Label4";
inline constexpr char MagnitudeError[] = "Label8";
inline constexpr char Object[] = "Label9";
inline constexpr char Notes[] = "Label10";
inline constexpr char Calibration[] = "Label11";
inline constexpr char Filter[] = "Label18";
inline constexpr char Calibrated[] = "Label24";
inline constexpr char CalibratedError[] = "Label25";
inline constexpr char Separator[] = "Label29";
} // namespace Label

namespace Menu {
inline constexpr char Print[] = "mnuStampa";
inline constexpr char Aavso[] = "mnuAavso";
inline constexpr char Exit[] = "mnuesci";
inline constexpr char ImageNote[] = "mnuimmagine";
inline constexpr char ImageBrowser[] = "mnuapri";
inline constexpr char LightCurve[] = "mnuCurva";
inline constexpr char Measure[] = "mnuMisura";
inline constexpr char Manual[] = "mnumanuale";
inline constexpr char Suggestion[] = "mnuSuggerimento";
inline constexpr char About[] = "mnuinfo";
} // namespace Menu
