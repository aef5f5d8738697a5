#pragma once

#include <QColor>

namespace plimo::skin {

// Text of every static control, edit and list.
inline const QColor kTextColour{1, 19, 98};
// Face of the main window and the message box, behind their texts.
inline const QColor kMainFace{228, 239, 251};
// Face of the settings and volume windows.
inline const QColor kToolFace{204, 224, 247};

// The look shared by every bitmap: a calm blue family around the faces.
inline const QColor kFrameDark{38, 74, 140};
inline const QColor kFrameLight{250, 252, 255};
inline const QColor kMainPanel{242, 247, 254};
inline const QColor kToolPanel{222, 235, 251};
inline const QColor kPanelEdge{160, 188, 226};
inline const QColor kAccent{54, 120, 214};
inline const QColor kRecordRed{206, 44, 44};
inline const QColor kGoGreen{34, 150, 80};
inline const QColor kDisabledGlyph{150, 160, 176};
inline const QColor kDisabledFace{222, 228, 236};

}  // namespace plimo::skin
