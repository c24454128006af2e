#pragma once

#include <QString>

#include <cstdint>

namespace quillora {

// Path and query of the online-tools page on the maker's web host; the
// default of [URL] Line is the endpoint table's web base followed by this.
inline constexpr char kOnlineToolsPathAndQuery[] = "/swordfish.html?product_id=1";

// Longest partner id kept ([Partner] Id is read into a 16-unit buffer).
inline constexpr qsizetype kPartnerIdMaxChars = 15;

// The branding of this installation, from oem.ini beside the executable.
// Strings start empty and are replaced only by present, non-empty values;
// the switches always take the file's value or their default.
struct OemInfo {
    QString partnerId;      // [Partner] Id, at most 15 characters
    QString newVersionUrl;  // [Partner] NewVersion
    QString updateUrl;      // [Partner] Update
    QString titleLogo;      // [UI] TitleLogo
    QString titleText;      // [UI] TitleText
    QString aboutLogo;      // [UI] AboutLogo
    QString productName;    // [UI] ProductName: replaces the language file's
    QString shortName;      // [UI] ShortName: likewise
    QString companyName;    // [UI] CompanyName
    QString officialSite;   // [UI] OfficialSite
    QString dlgBgImage;     // [UI] DlgBgImage
    QString lineUrl;        // [URL] Line
    QString tutorials;      // [Other] Tutorials
    bool showOfficial = true;
    bool openOfficial = false;
    bool showPrivacy = true;
    bool showTool = true;
    // The built-in skin archive, set by start-up; not from the file.
    const unsigned char* skinData = nullptr;
    std::uint32_t skinSize = 0;
};

// Fills the record from appFolder + "/oem.ini". Strings are cut at 259
// characters (the partner id at 15). A missing [URL] Line gives
// defaultLineUrl.
void LoadOem(OemInfo& oem, const QString& appFolder, const QString& defaultLineUrl = {});

// Resets [Other] OpenOfficial to "0" in the file.
bool ResetOpenOfficial(const QString& appFolder);

}  // namespace quillora
