#include <string>

#include "Version.h"
#include "forms/FormLayout.h"

namespace qvset::forms {

namespace {
using enum ControlKind;
}  // namespace

// The main window "设置": a fixed client area of 10,425 × 7,275 twips. Everything at a top of 9,000
// twips or more lies below it and is never shown.
const FormLayout& Form1Layout() {
    static const std::string kVersionLabel = "Quelvane   V" + std::string(kVersion);
    static const FormLayout kLayout{
        "Form1",
        "设置",
        10425,
        7275,
        {
            // Top bar. Text1 (the tuning pause) sits below the bar's inner height.
            {"Frame4", Frame, nullptr, 120, 120, 10215, 615, ""},
            {"Label1", Label, "Frame4", 120, 165, 2415, 375, kVersionLabel.c_str()},
            {"Labtime", Label, "Frame4", 3600, 240, 2535, 255, ""},
            {"Command49", Button, "Frame4", 9120, 160, 975, 375, "取消选定"},
            {"Text1", TextBox, "Frame4", 6600, 720, 975, 285, "5000"},

            // Printer list and the current ticket description.
            {"Frame1", Frame, nullptr, 120, 960, 10215, 975, "打印机选择"},
            {"Combo1", ComboList, "Frame1", 120, 360, 3975, 405, ""},
            {"Label13", Label, "Frame1", 4320, 480, 975, 255, "当前票样："},
            {"Label12", Label, "Frame1", 5400, 480, 4695, 255, "无"},

            // Settings panel.
            {"Frame9", Frame, nullptr, 120, 2040, 2535, 1095, "黑标设置"},
            {"Command28", Button, "Frame9", 240, 480, 615, 375, "打开"},
            {"Command29", Button, "Frame9", 1560, 480, 615, 375, "关闭"},
            {"Frame11", Frame, nullptr, 2880, 2040, 2535, 1095, "纸张类型设置"},
            {"Command31", Button, "Frame11", 240, 480, 735, 375, "76mm纸"},
            {"Command32", Button, "Frame11", 1560, 480, 735, 375, "58mm纸"},
            {"Frame10", Frame, nullptr, 5640, 2040, 1935, 1095, "黑标门槛"},
            {"Command30", Button, "Frame10", 480, 480, 1095, 375, "重新标定"},
            {"Frame12", Frame, nullptr, 120, 3480, 2535, 1095, "打印头选择"},
            {"Command33", Button, "Frame12", 120, 480, 975, 375, "标准头"},
            {"Command34", Button, "Frame12", 1440, 480, 975, 375, "降噪头"},
            {"Frame13", Frame, nullptr, 2880, 3480, 2535, 1095, "撕纸口位置选择"},
            {"Command35", Button, "Frame13", 240, 480, 855, 375, "高QV640"},
            {"Command36", Button, "Frame13", 1560, 480, 855, 375, "低QV650"},
            {"Frame16", Frame, nullptr, 5640, 3240, 1935, 2775, "串口波特率 9600*n"},
            {"Command41", Button, "Frame16", 240, 360, 615, 375, "1倍"},
            {"Command42", Button, "Frame16", 1200, 360, 615, 375, "2倍"},
            {"Command43", Button, "Frame16", 240, 960, 615, 375, "4倍"},
            {"Command44", Button, "Frame16", 1200, 960, 615, 375, "12倍"},
            {"Command45", Button, "Frame16", 240, 1560, 615, 375, "24倍"},
            {"Command46", Button, "Frame16", 1200, 1560, 615, 375, "30倍"},
            {"Command47", Button, "Frame16", 240, 2160, 615, 375, "36倍"},
            {"Command48", Button, "Frame16", 1200, 2160, 615, 375, "42倍"},
            {"Frame14", Frame, nullptr, 120, 4920, 2535, 1095, "打印开始定位"},
            {"Command37", Button, "Frame14", 240, 480, 615, 375, "开启"},
            {"Command38", Button, "Frame14", 1560, 480, 615, 375, "关闭"},
            {"Frame15", Frame, nullptr, 2880, 4920, 2535, 1095, "打印结束定位"},
            {"Command39", Button, "Frame15", 240, 480, 615, 375, "开启"},
            {"Command40", Button, "Frame15", 1560, 480, 615, 375, "关闭"},

            // Ticket geometry: rows B, L, P; Command16 (format set) lies below the frame's lower edge.
            {"Frame7", Frame, nullptr, 7680, 2040, 2655, 3975, "票据格式设置"},
            {"Label11", Label, "Frame7", 120, 360, 2295, 375, "黑标上边沿相对于发票顶部的距离(单位：mm)"},
            {"Label16", Label, "Frame7", 120, 720, 495, 255, "B"},
            {"Text5", TextBox, "Frame7", 480, 720, 1095, 375, "27"},
            {"Command25", Button, "Frame7", 1920, 720, 615, 375, "设置"},
            {"Label9", Label, "Frame7", 120, 1680, 2295, 255, "票据长度(单位：mm)"},
            {"Label14", Label, "Frame7", 120, 2040, 495, 255, "L"},
            {"Text3", TextBox, "Frame7", 480, 2040, 1095, 375, "152"},
            {"Command23", Button, "Frame7", 1920, 2040, 615, 375, "设置"},
            {"Label10", Label, "Frame7", 120, 3000, 2295, 375, "起始打印位置相对发票顶部的距离(单位：mm)"},
            {"Label15", Label, "Frame7", 120, 3360, 495, 255, "P"},
            {"Text4", TextBox, "Frame7", 480, 3360, 1095, 375, "35"},
            {"Command24", Button, "Frame7", 1920, 3360, 615, 375, "设置"},
            {"Command16", Button, "Frame7", 1920, 4080, 615, 375, "设置"},

            // Bottom row.
            {"Command17", Button, nullptr, 120, 6360, 1335, 735, "测试"},
            {"Command19", Button, nullptr, 1920, 6360, 1335, 735, "设置票样"},
            {"Command20", Button, nullptr, 3720, 6360, 1335, 735, "保存票样"},
            {"Command21", Button, nullptr, 5520, 6360, 1215, 735, "打开票样"},
            {"Command22", Button, nullptr, 7200, 6360, 1215, 735, "帮助"},
            {"Command18", Button, nullptr, 8880, 6360, 1335, 735, "退出"},

            // Below the client area from here on.
            // The geometry check boxes and the black-mark style.
            {"PrinterLong", CheckBox, nullptr, 120, 9000, 2535, 255, "票据长度(单位：mm)"},
            {"PrinterStartPosition", CheckBox, nullptr, 2760, 9120, 4335, 255,
             "起始打印位置相对发票顶部的偏移量(单位：mm)"},
            {"PrinterBlackPosition", CheckBox, nullptr, 7200, 9060, 4215, 255,
             "黑标位置相对于发票顶部的偏移量(单位：mm)"},
            {"Option1", Option, nullptr, 120, 9600, 1335, 255, "黑标样式1"},
            {"Option2", Option, nullptr, 1560, 9600, 1335, 255, "黑标样式2"},

            // Tuning panel.
            {"Frame6", Frame, nullptr, 120, 10440, 5175, 2775, "成列度设置"},
            {"Frame3", Frame, "Frame6", 120, 240, 4935, 735, "功能选择"},
            {"Label2", Label, "Frame3", 855, 330, 135, 255, "("},
            {"Labgs", Label, "Frame3", 990, 330, 255, 255, ""},
            {"Label3", Label, "Frame3", 1245, 330, 135, 255, ")"},
            {"Label5", Label, "Frame3", 2295, 330, 135, 255, "("},
            {"Labcgs", Label, "Frame3", 2430, 330, 255, 255, ""},
            {"Label4", Label, "Frame3", 2685, 330, 135, 255, ")"},
            {"Label7", Label, "Frame3", 3735, 330, 135, 255, "("},
            {"Labcgm", Label, "Frame3", 3870, 330, 255, 255, ""},
            {"Label6", Label, "Frame3", 4125, 330, 135, 255, ")"},
            {"Optgs", Option, "Frame3", 120, 330, 735, 255, "高速"},
            {"Optcgs", Option, "Frame3", 1560, 330, 735, 255, "标准"},
            {"Optcgm", Option, "Frame3", 3000, 330, 735, 255, "精细"},
            {"Frame2", Frame, "Frame6", 120, 1080, 1815, 735, "参数"},
            {"cmbsz", ComboEdit, "Frame2", 120, 300, 1575, 315, ""},
            {"Command3", Button, "Frame6", 2160, 1200, 975, 375, "设置单项"},
            {"Command8", Button, "Frame6", 3240, 1200, 975, 375, "设置全部"},
            {"Command15", Button, "Frame6", 4320, 1200, 735, 375, "Rest"},
            {"Label8", Label, "Frame6", 120, 2040, 3015, 255, "完成....."},

            // The check-box panel.
            {"Frame8", Frame, nullptr, 5400, 10440, 7215, 3255, "票据标志位设置"},
            {"PrinterBlack", CheckBox, "Frame8", 120, 300, 1815, 255, "黑标设置"},
            {"ComBlack", ComboEdit, "Frame8", 2040, 270, 2535, 300, "打开"},
            {"PrinterPaper", CheckBox, "Frame8", 120, 660, 1815, 255, "纸张设置"},
            {"ComPaper", ComboEdit, "Frame8", 2040, 630, 2535, 300, "76mm"},
            {"PrinterStart", CheckBox, "Frame8", 120, 1020, 1815, 255, "打印开始定位"},
            {"ComStart", ComboEdit, "Frame8", 2040, 990, 2535, 300, "打印开始进退纸到打印起始位置"},
            {"PrinterEnd", CheckBox, "Frame8", 120, 1380, 1815, 255, "打印结束定位"},
            {"ComEnd", ComboEdit, "Frame8", 2040, 1350, 2535, 300, "打印结束进退纸到撕纸位置"},
            {"PrinterWay", CheckBox, "Frame8", 120, 1740, 1815, 255, "打印方式选择"},
            {"ComWay", ComboEdit, "Frame8", 2040, 1710, 2535, 300, "标准打印头"},
            {"PrinterStyle", CheckBox, "Frame8", 120, 2100, 1815, 255, "打印机型号选择"},
            {"ComStyle", ComboEdit, "Frame8", 2040, 2070, 2535, 300, "QV640"},
            {"PrinterDoor", CheckBox, "Frame8", 120, 2460, 1815, 255, "黑标门槛"},
            {"ComDoor", ComboEdit, "Frame8", 2040, 2430, 2535, 300, "自动检测"},
            {"PrinterBaudrate", CheckBox, "Frame8", 120, 2820, 1815, 255, "串口波特率"},
            {"ComBaudrate", ComboEdit, "Frame8", 2040, 2790, 2535, 300, "9600*1"},
            {"Command26", Button, "Frame8", 4800, 360, 1215, 375, "黑标打开"},
            {"Command27", Button, "Frame8", 4800, 960, 1215, 375, "Command27"},

            // Hex console.
            {"Frame5", Frame, nullptr, 120, 13920, 10215, 1695, "发送指令区"},
            {"Text2", MultiLineText, "Frame5", 120, 300, 7935, 1215, ""},
            {"Check1", CheckBox, "Frame5", 8280, 300, 1335, 255, "选择"},
            {"Command9", Button, "Frame5", 8280, 600, 1335, 375, "导入出厂值"},
            {"Command6", Button, "Frame5", 8280, 1080, 1335, 375, "发送"},

            // Single buttons.
            {"Command1", Button, nullptr, 120, 15840, 975, 375, "打印自检"},
            {"Command4", Button, nullptr, 1140, 15840, 975, 375, "保存"},
            {"Command5", Button, nullptr, 2160, 15840, 975, 375, "换行"},
            {"Command7", Button, nullptr, 3180, 15840, 975, 375, "恢复出厂"},
            {"Command10", Button, nullptr, 4200, 15840, 975, 375, "微进纸"},
            {"Command11", Button, nullptr, 5220, 15840, 975, 375, "微退纸"},
            {"Command12", Button, nullptr, 6240, 15840, 975, 375, "换页"},
            {"Command13", Button, nullptr, 7260, 15840, 975, 375, "测针功能"},
            {"Command14", Button, nullptr, 8280, 15840, 975, 375, "Windows"},
            {"Command2", Button, nullptr, 9300, 15840, 975, 375, "退出"},

            // Pictures.
            {"Image1", Picture, nullptr, 120, 16440, 2415, 1815, ""},
            {"Image2", Picture, nullptr, 2640, 16440, 2415, 1815, ""},
            {"Image3", Picture, nullptr, 5160, 16440, 2415, 1815, ""},
            {"Image4", Picture, nullptr, 7680, 16440, 2415, 1815, ""},
        },
        // Reading order: the top bar, the printer list, the settings panel row by row (each frame's buttons
        // left to right, top to bottom), the geometry frame row by row, the bottom row.
        {
            "Command49", "Combo1",    "Command28", "Command29", "Command31", "Command32", "Command30",
            "Command33", "Command34", "Command35", "Command36", "Command41", "Command42", "Command43",
            "Command44", "Command45", "Command46", "Command47", "Command48", "Command37", "Command38",
            "Command39", "Command40", "Text5",     "Command25", "Text3",     "Command23", "Text4",
            "Command24", "Command17", "Command19", "Command20", "Command21", "Command22", "Command18",
        }};
    return kLayout;
}

}  // namespace qvset::forms
