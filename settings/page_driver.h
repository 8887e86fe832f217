// Driver information page: the driver's version, the Windows generation and
// the button that opens the driver list in Notepad. One body for both languages.
#pragma once
#include "framework.h"

struct DriverPageTable {
    UINT templateId;
    int windowsLine, versionLine, fileVersion;
};

class CDriverPage : public CPropertyPage {
public:
    explicit CDriverPage(const DriverPageTable& table);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    BOOL OnCommand(int id, int code) override;

private:
    void OnFileVersion();

    const DriverPageTable& m_t;
    CStatic m_windowsName;
    CStatic m_driverVersion;
};

class Cmyppage6 : public CDriverPage {
public:
    Cmyppage6();
};
class Cmyppage6us : public CDriverPage {
public:
    Cmyppage6us();
};
