#include "text/texts.h"

#include "log/log.h"

namespace {

// Row by row, four languages per text: the entry for (id, language) is kTexts[id * 4 + language].
// Kept unformatted so that every text stays on one line, as written.
// clang-format off
const wchar_t* const kTexts[] = {
    // 0
    L"KOR-VEL 设置",
    L"KOR-VEL 設定",
    L"KOR-VEL Settings",
    L"KOR-VEL 設定",
    // 1
    L"常规",
    L"常規",
    L"General",
    L"一般",
    // 2
    L"语言",
    L"語言",
    L"Language",
    L"言語",
    // 3
    L"关于",
    L"關於",
    L"About",
    L"情報",
    // 4
    L"框选",
    L"框選",
    L"Region",
    L"範囲",
    // 5
    L"全屏",
    L"全螢幕",
    L"Screen",
    L"全画面",
    // 6
    L"窗口",
    L"視窗",
    L"Window",
    L"ウィンドウ",
    // 7
    L"格式",
    L"格式",
    L"Format",
    L"形式",
    // 8
    L"质量",
    L"品質",
    L"Quality",
    L"画質",
    // 9
    L"路径",
    L"路徑",
    L"Folder",
    L"保存先",
    // 10
    L"浏览",
    L"瀏覽",
    L"Browse",
    L"参照",
    // 11
    L"确定",
    L"確定",
    L"OK",
    L"OK",
    // 12
    L"取消",
    L"取消",
    L"Cancel",
    L"キャンセル",
    // 13
    L"请按下快捷键，Backspace 清除",
    L"請按下快捷鍵，Backspace 清除",
    L"Press a shortcut. Backspace clears",
    L"キーを押す。Backspace で消去",
    // 14
    L"未设置",
    L"未設定",
    L"None",
    L"未設定",
    // 15
    L"关闭窗口只会缩到托盘。点快捷键框后按下新组合，Backspace 清除。",
    L"關閉視窗只會縮到工作列。點快捷鍵框後按下新組合，Backspace 清除。",
    L"Closing this window hides it to the tray. Click a box, press keys. Backspace clears.",
    L"閉じるとトレイに収納されます。枠をクリックしてキーを押し、Backspace で消去します。",
    // 16
    L"选择后界面会立即切换。确定后记住，取消则恢复。",
    L"選擇後介面會立即切換。確定後記住，取消則還原。",
    L"The interface switches right away. OK remembers it. Cancel restores the previous language.",
    L"選ぶとすぐに切り替わります。OK で保存し、キャンセルで元に戻します。",
    // 17
    L"关于 KOR-VEL",
    L"關於 KOR-VEL",
    L"About KOR-VEL",
    L"KOR-VEL について",
    // 18
        L"缘起\r\n"
        L"有一天想录制课程的时候，需要截图软件，一搜索到处都是广告，作为一个成年的程序员，应该要学会自给自足，于是就动手写了这个截图工具。\r\n"
        L"\r\n"
        L"介绍\r\n"
        L"启动后停在系统托盘里。托盘菜单、悬浮工具栏和快捷键都可以截图。\r\n"
        L"框选：拖出区域后，可拖动四边改大小，双击或按 Enter 确认，Esc 取消。鼠标旁边有放大镜，方便对齐像素。\r\n"
        L"全屏：截取鼠标所在的那一块屏幕。窗口：截取当前窗口。\r\n"
        L"截完以后图片带一圈阴影，右上角可以钉住、保存、复制或关闭。按 Esc 只关掉这一张预览。\r\n"
        L"设置里可以改快捷键、保存为 PNG 或 JPEG、选择保存路径和界面语言。关掉设置窗口只会回到托盘，要在托盘菜单里选退出才会结束程序。工具栏默认不显示，勾选后可以拖到屏幕任意位置。\r\n"
        L"\r\n"
        L"关于\r\n"
        L"更多详情，请访问Ondralux：" KORVEL_SITE_URL,
        L"緣起\r\n"
        L"有一天想錄製課程的時候，需要截圖軟體，一搜尋到處都是廣告，作為一個成年的程式設計師，應該要學會自給自足，於是就動手寫了這個截圖工具。\r\n"
        L"\r\n"
        L"介紹\r\n"
        L"啟動後停在系統匣裡。系統匣選單、懸浮工具列和快捷鍵都可以截圖。\r\n"
        L"框選：拖出區域後，可拖曳四邊改大小，按兩下或按 Enter 確認，Esc 取消。滑鼠旁邊有放大鏡，方便對齊像素。\r\n"
        L"全螢幕：截取滑鼠所在的那一塊螢幕。視窗：截取目前視窗。\r\n"
        L"截完以後圖片帶一圈陰影，右上角可以釘選、儲存、複製或關閉。按 Esc 只關掉這一張預覽。\r\n"
        L"設定裡可以改快捷鍵、儲存為 PNG 或 JPEG、選擇儲存路徑和介面語言。關掉設定視窗只會回到系統匣，要在系統匣選單裡選結束才會退出程式。工具列預設不顯示，勾選後可以拖到螢幕任意位置。\r\n"
        L"\r\n"
        L"關於\r\n"
        L"更多詳情，請造訪Ondralux：" KORVEL_SITE_URL,
        L"Origin\r\n"
        L"I needed a screenshot tool while recording a course. Search results were full of ads. A grown programmer ought to be self-sufficient, so I wrote this capture tool.\r\n"
        L"\r\n"
        L"How to use\r\n"
        L"After launch it stays in the system tray. Use the tray menu, the floating bar, or a shortcut to capture.\r\n"
        L"Region: drag out an area, drag the edges to resize, then double-click or press Enter. Esc cancels. A magnifier sits by the pointer.\r\n"
        L"Screen captures the monitor under the pointer. Window captures the current window.\r\n"
        L"The picture then has a shadow. Pin, save, copy, or close it from the top-right buttons. Esc closes only that preview.\r\n"
        L"Settings change the shortcuts, PNG or JPEG, the save folder, and the language. Closing Settings returns to the tray. Quit is only in the tray menu. The bar stays hidden until you check it, and you can drag it anywhere.\r\n"
        L"\r\n"
        L"More\r\n"
        L"For more, visit Ondralux: " KORVEL_SITE_URL,
        L"きっかけ\r\n"
        L"講座を録画するとき、スクリーンショットソフトが必要になりました。検索すると広告ばかりでした。大人のプログラマーなら自給自足すべきだと思い、この撮影ツールを自分で作りました。\r\n"
        L"\r\n"
        L"使い方\r\n"
        L"起動するとシステムトレイに残ります。トレイメニュー、フローティングバー、ショートカットから撮影できます。\r\n"
        L"範囲：ドラッグして範囲を作り、辺をドラッグしてサイズを変え、ダブルクリックか Enter で確定します。Esc で取消。ポインタのそばに拡大鏡があります。\r\n"
        L"全画面：ポインタがある画面を撮ります。ウィンドウ：今のウィンドウを撮ります。\r\n"
        L"撮った画像には影が付きます。右上からピン留め、保存、コピー、閉じるができます。Esc はそのプレビューだけを閉じます。\r\n"
        L"設定ではショートカット、PNG か JPEG、保存先、表示言語を変えられます。設定を閉じてもトレイに残ります。終了はトレイメニューからです。バーはチェックするまで出てこず、好きな位置へドラッグできます。\r\n"
        L"\r\n"
        L"詳細\r\n"
        L"詳しくはOndraluxへ：" KORVEL_SITE_URL,
    // 19
    L"三个快捷键不能相同。",
    L"三個快捷鍵不能相同。",
    L"The three shortcuts must be different.",
    L"3つのショートカットは別々にしてください。",
    // 20
    L"请填写保存路径。",
    L"請填寫儲存路徑。",
    L"Enter a save folder.",
    L"保存先を入力してください。",
    // 21
    L"保存配置失败，请查看日志。",
    L"儲存設定失敗，請查看日誌。",
    L"Could not save settings. See the log.",
    L"設定を保存できません。ログを確認してください。",
    // 22
    L"无法打开目录选择窗口。",
    L"無法開啟目錄選擇視窗。",
    L"Could not open the folder picker.",
    L"フォルダー選択を開けません。",
    // 23
    L"选择截图保存目录",
    L"選擇截圖儲存目錄",
    L"Choose a save folder",
    L"保存先フォルダー",
    // 24
    L"KOR-VEL 截图",
    L"KOR-VEL 截圖",
    L"KOR-VEL",
    L"KOR-VEL",
    // 25
    L"框选截图",
    L"框選截圖",
    L"Region",
    L"範囲",
    // 26
    L"全屏截图",
    L"全螢幕截圖",
    L"Full screen",
    L"全画面",
    // 27
    L"窗口截图",
    L"視窗截圖",
    L"Window",
    L"ウィンドウ",
    // 28
    L"工具栏",
    L"工具列",
    L"Toolbar",
    L"ツールバー",
    // 29
    L"设置",
    L"設定",
    L"Settings",
    L"設定",
    // 30
    L"访问Ondralux",
    L"造訪Ondralux",
    L"Ondralux",
    L"Ondralux",
    // 31
    L"退出",
    L"結束",
    L"Quit",
    L"終了",
    // 32
    L"KOR-VEL截图工具",
    L"KOR-VEL截圖工具",
    L"KOR-VEL",
    L"KOR-VEL",
    // 33
    L"截图",
    L"截圖",
    L"Capture",
    L"撮影",
    // 34
    L"窗口",
    L"視窗",
    L"Window",
    L"窓",
    // 35
    L"全屏",
    L"全螢幕",
    L"Screen",
    L"全画面",
    // 36
    L"设置",
    L"設定",
    L"Settings",
    L"設定",
    // 37
    L"退出",
    L"結束",
    L"Quit",
    L"終了",
    // 38
    L"钉住",
    L"釘選",
    L"Pin",
    L"ピン",
    // 39
    L"保存",
    L"儲存",
    L"Save",
    L"保存",
    // 40
    L"关闭",
    L"關閉",
    L"Close",
    L"閉じる",
    // 41
    L"复制",
    L"複製",
    L"Copy",
    L"コピー",
    // 42
    L"拖拽框选区域，Esc 取消",
    L"拖曳框選區域，Esc 取消",
    L"Drag to select. Esc cancels",
    L"ドラッグで範囲選択。Esc で取消",
    // 43
    L"拖动四边调整大小，双击或 Enter 确认，Esc 取消",
    L"拖曳四邊調整大小，按兩下或 Enter 確認，Esc 取消",
    L"Drag edges to resize. Double-click or Enter confirms. Esc cancels",
    L"辺をドラッグしてサイズ変更。ダブルクリックか Enter で確定、Esc で取消",
    // 44
    L"保存失败，请查看日志。",
    L"儲存失敗，請查看日誌。",
    L"Save failed. See the log.",
    L"保存に失敗しました。ログを確認してください。",
    // 45
    L"复制失败。",
    L"複製失敗。",
    L"Copy failed.",
    L"コピーに失敗しました。",
    // 46
    L"复制失败，剪贴板被占用。",
    L"複製失敗，剪貼簿被占用。",
    L"Copy failed. The clipboard is busy.",
    L"コピーに失敗しました。クリップボードが使用中です。",
    // 47
    L"KOR-VEL 已启动。单击托盘图标可截图或打开设置。",
    L"KOR-VEL 已啟動。按一下系統匣圖示可截圖或開啟設定。",
    L"KOR-VEL is running. Click the tray icon to capture or open settings.",
    L"KOR-VEL を起動しました。トレイアイコンから撮影または設定を開けます。",
    // 48
    L"有快捷键注册失败，可能与其他软件冲突。",
    L"有快捷鍵註冊失敗，可能與其他軟體衝突。",
    L"A shortcut could not be registered. It may conflict with another app.",
    L"ショートカットを登録できません。他のアプリと衝突している可能性があります。",
    // 49
    L"保存路径太长，最多 248 个字符。",
    L"儲存路徑太長，最多 248 個字元。",
    L"The save folder is too long. Use at most 248 characters.",
    L"保存先が長すぎます。248 文字以内にしてください。",
    // 50
    L"矩形 (R)",
    L"矩形 (R)",
    L"Rectangle (R)",
    L"四角形 (R)",
    // 51
    L"椭圆 (E)",
    L"橢圓 (E)",
    L"Ellipse (E)",
    L"楕円 (E)",
    // 52
    L"箭头 (A)",
    L"箭頭 (A)",
    L"Arrow (A)",
    L"矢印 (A)",
    // 53
    L"画笔 (P)",
    L"畫筆 (P)",
    L"Pen (P)",
    L"ペン (P)",
    // 54
    L"荧光笔 (H)",
    L"螢光筆 (H)",
    L"Highlighter (H)",
    L"蛍光ペン (H)",
    // 55
    L"文字 (T)",
    L"文字 (T)",
    L"Text (T)",
    L"テキスト (T)",
    // 56
    L"序号 (N)",
    L"序號 (N)",
    L"Step number (N)",
    L"番号 (N)",
    // 57
    L"马赛克 (M)",
    L"馬賽克 (M)",
    L"Mosaic (M)",
    L"モザイク (M)",
    // 58
    L"撤销 (Ctrl+Z)",
    L"復原 (Ctrl+Z)",
    L"Undo (Ctrl+Z)",
    L"元に戻す (Ctrl+Z)",
    // 59
    L"重做 (Ctrl+Y)",
    L"重做 (Ctrl+Y)",
    L"Redo (Ctrl+Y)",
    L"やり直し (Ctrl+Y)",
    // 60
    L"颜色",
    L"顏色",
    L"Colour",
    L"色",
    // 61
    L"粗细（滚轮）",
    L"粗細（滾輪）",
    L"Width (mouse wheel)",
    L"太さ（ホイール）",
    // 62
    L"取消 (Esc)",
    L"取消 (Esc)",
    L"Cancel (Esc)",
    L"キャンセル (Esc)",
    // 63
    L"复制 (Ctrl+C)",
    L"複製 (Ctrl+C)",
    L"Copy (Ctrl+C)",
    L"コピー (Ctrl+C)",
    // 64
    L"保存 (Enter)",
    L"儲存 (Enter)",
    L"Save (Enter)",
    L"保存 (Enter)",
};
// clang-format on

static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == kTextCount * kLanguageCount,
              "one entry for every text in every language");

// Plain integer: every caller runs on the interface thread.
UiLanguage g_language = UiLanguage::SimplifiedChinese;

} // namespace

UiLanguage GetUiLanguage() {
    return g_language;
}

void SetUiLanguage(uint32_t language) {
    if (language >= static_cast<uint32_t>(kLanguageCount)) {
        // Printed signed so that a negative value read from the configuration shows as itself.
        LogError(L"界面语言非法 value=%d，保持 %d", static_cast<int32_t>(language),
                 static_cast<int>(g_language));
        return;
    }
    g_language = static_cast<UiLanguage>(language);
    LogInfo(L"界面语言 language=%d", static_cast<int>(language));
}

const wchar_t* GetText(TextId id) {
    if (id >= kTextCount) {
        LogError(L"文案编号越界 id=%d", static_cast<int>(id));
        return L"";
    }
    const wchar_t* text = kTexts[id * kLanguageCount + static_cast<int>(g_language)];
    return text != nullptr ? text : L"";
}
