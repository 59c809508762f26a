#pragma once

namespace vantora::texts {

// Resource strings of the patient dialogs.
constexpr int kNameLabel = 61221;
constexpr int kSexLabel = 61222;
constexpr int kDateLabel = 61223;
constexpr int kHeightLabel = 61224;
constexpr int kHeightUnit = 61225;
constexpr int kWeightLabel = 61226;
constexpr int kWeightUnit = 61227;
constexpr int kTelephoneLabel = 61228;
constexpr int kAddressLabel = 61229;
constexpr int kIdLabel = 61232;
constexpr int kPositionLabel = 61248;
constexpr int kNoRowChosen = 61257;
constexpr int kEmptyId = 61314;
constexpr int kEmptyName = 61315;
constexpr int kEmptySecondName = 61316;
constexpr int kNoSelection = 61319;

// Our own texts of the dialogs.
constexpr int kAddButton = 61970;
constexpr int kEditButton = 61971;
constexpr int kDeleteButton = 61972;
constexpr int kCloseButton = 61973;
constexpr int kNewPatientButton = 61974;
constexpr int kFirstNameLabel = 61975;
constexpr int kSecondNameLabel = 61976;
constexpr int kManagerCaption = 61977;
constexpr int kPickerCaption = 61978;
constexpr int kQuickAddCaption = 61979;
constexpr int kAddCaption = 61980;
constexpr int kEditCaption = 61981;
constexpr int kDetailCaption = 61982;
constexpr int kHistoryLabel = 61983;
constexpr int kRemarksLabel = 61984;
constexpr int kPatientCount = 61985; // "$" is the number of patients

} // namespace vantora::texts
