#pragma once

// The program's message texts, UTF-8.

// String 101: the about-box item of the dialog's menu.
inline constexpr char kAboutMenuText[] = "Version Infomation(Orlavo) (&A)...";
// String 103: the network layer could not be started.
inline constexpr char kHttpLayerFailedText[] = "Windows ｿｹｯﾄの初期化に失敗しました。";
// String 61703: help could not be opened.
inline constexpr char kHelpFailedText[] = "ﾍﾙﾌﾟの起動に失敗しました。";

inline constexpr char kMainTitle[] = "Orlavo";
inline constexpr char kAboutTitle[] = "Orlavo AboutBox";
inline constexpr char kVersionLine[] = "Orlavo Version 1.00";
inline constexpr char kCopyrightLine[] = "Copyright (C) 2002 Pellworth Inc.";
// Without the scheme: the framed field is too narrow for a full address.
inline constexpr char kWebAddress[] = "www.pellworth.example";
