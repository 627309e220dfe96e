<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>tintor::CBitmapStrip</name>
    <message>
        <source>画像 %1</source>
        <translation>Image %1</translation>
    </message>
    <message>
        <source>色を変えられません: %1</source>
        <translation>Cannot be recoloured: %1</translation>
    </message>
    <message>
        <source>選択中</source>
        <translation>Selected</translation>
    </message>
    <message>
        <source>クリックで画像を選択 (Ctrl・Shift で追加)</source>
        <translation>Click to select an image (Ctrl or Shift adds to the selection)</translation>
    </message>
    <message>
        <source>画像のデータが壊れています</source>
        <translation>corrupt image data</translation>
    </message>
    <message>
        <source>JPEG のデータが壊れています</source>
        <translation>corrupt JPEG data</translation>
    </message>
    <message>
        <source>PNG のデータが壊れています</source>
        <translation>corrupt PNG data</translation>
    </message>
    <message>
        <source>GIF のデータが壊れています</source>
        <translation>corrupt GIF data</translation>
    </message>
    <message>
        <source>透明度のデータが壊れています</source>
        <translation>corrupt alpha data</translation>
    </message>
    <message>
        <source>画像が大きすぎます</source>
        <translation>image too large</translation>
    </message>
    <message>
        <source>ムービーの終わりで途切れています</source>
        <translation>cut short by the end of the movie</translation>
    </message>
    <message>
        <source>ムービーの JPEGTables では画像を作り直せません</source>
        <translation>the movie&apos;s JPEGTables cannot encode a new image</translation>
    </message>
    <message>
        <source>JPEGTables のデータが壊れています</source>
        <translation>corrupt JPEGTables</translation>
    </message>
    <message>
        <source>大きさのわりにデータが足りません</source>
        <translation>too little data for its size</translation>
    </message>
    <message>
        <source>JPEG のデータが途中で切れています</source>
        <translation>JPEG data cut short</translation>
    </message>
    <message>
        <source>算術符号化の JPEG です</source>
        <translation>arithmetic-coded JPEG</translation>
    </message>
    <message>
        <source>GIF の画面の幅か高さが 0 です</source>
        <translation>GIF canvas of zero width or height</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>not enough memory</translation>
    </message>
</context>
<context>
    <name>tintor::CColorSwatchDelegate</name>
    <message>
        <source>文字</source>
        <translation>TXT</translation>
    </message>
    <message>
        <source>線</source>
        <translation>LINE</translation>
    </message>
    <message>
        <source>背景</source>
        <translation>BG</translation>
    </message>
    <message>
        <source>効果</source>
        <translation>FLT</translation>
    </message>
    <message>
        <source>色調</source>
        <translation>TINT</translation>
    </message>
    <message>
        <source>スクリプト</source>
        <translation>SCR</translation>
    </message>
</context>
<context>
    <name>tintor::CColorView</name>
    <message>
        <source>塗り</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>背景</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>色相(&amp;H)</source>
        <translation>&amp;Hue</translation>
    </message>
    <message>
        <source>彩度(&amp;S)</source>
        <translation>&amp;Saturation</translation>
    </message>
    <message>
        <source>明度(&amp;V)</source>
        <translation>&amp;Value</translation>
    </message>
    <message>
        <source>色彩の統一(&amp;O)</source>
        <translation>Unify c&amp;olours</translation>
    </message>
    <message>
        <source>適用(&amp;A) &gt;&gt;</source>
        <translation>&amp;Apply &gt;&gt;</translation>
    </message>
    <message>
        <source>選んだ色の変更をムービーに書き込み、プレビューを更新する (Enter)</source>
        <translation>Write the changes of the selected colours into the movie and update the preview (Enter)</translation>
    </message>
    <message>
        <source>元の色 %1</source>
        <translation>Originally %1</translation>
    </message>
    <message numerus="yes">
        <source>%n か所で使われています</source>
        <translation>
            <numerusform>Used in %n place</numerusform>
            <numerusform>Used in %n places</numerusform>
        </translation>
    </message>
    <message>
        <source>フィルター</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>色合い</source>
        <translation>Tint</translation>
    </message>
    <message>
        <source>スクリプト</source>
        <translation>Script</translation>
    </message>
    <message>
        <source>知覚的 (OKLCh)(&amp;P)</source>
        <translation>&amp;Perceptual (OKLCh)</translation>
    </message>
    <message>
        <source>色相を変えても見た目の明るさが変わらないように、OKLCh で色をずらす</source>
        <translation>Shift colours in OKLCh, so that turning a hue keeps the lightness people see</translation>
    </message>
    <message>
        <source>似た色を選択(&amp;M)</source>
        <translation>Select si&amp;milar colours</translation>
    </message>
    <message>
        <source>この色から許容差までの色をすべて選択に加える (ロックした色は除く)</source>
        <translation>Add every colour within the tolerance of this one to the selection (locked colours excepted)</translation>
    </message>
    <message>
        <source>許容差 (ΔE)(&amp;T):</source>
        <translation>&amp;Tolerance (ΔE):</translation>
    </message>
    <message>
        <source>ΔE 2 ほどで違いがやっと見え、8 で似た色、20 を超えると別の色に見える</source>
        <translation>About 2 is a difference just seen, 8 a similar colour, above 20 another colour</translation>
    </message>
    <message>
        <source>ロックを解除(&amp;U)</source>
        <translation>&amp;Unlock colour</translation>
    </message>
    <message>
        <source>色をロック(&amp;L)</source>
        <translation>&amp;Lock colour</translation>
    </message>
    <message>
        <source>一覧の順</source>
        <translation>List order</translation>
    </message>
    <message>
        <source>明るさ順</source>
        <translation>Lightness</translation>
    </message>
    <message>
        <source>色相順</source>
        <translation>Hue</translation>
    </message>
    <message>
        <source>使用箇所の多い順</source>
        <translation>Most places first</translation>
    </message>
    <message>
        <source>#rrggbb・種類で絞り込む</source>
        <translation>#rrggbb or kind</translation>
    </message>
    <message>
        <source>色 (#rrggbb かその一部) や種類の名前で一覧を絞り込みます</source>
        <translation>Narrows the list to a colour (#rrggbb or part of it) or to kinds by their names</translation>
    </message>
    <message>
        <source>一覧の並べ順</source>
        <translation>Order of the list</translation>
    </message>
    <message>
        <source>プレビューで示す(&amp;P)</source>
        <translation>Show in &amp;Preview</translation>
    </message>
    <message>
        <source>この色が使われている所を、しばらくの間プレビューで目立つ色にして示す</source>
        <translation>Shows for a moment where this colour is drawn, in a signal colour in the preview</translation>
    </message>
    <message>
        <source>ロック中: どの編集でも変わらず、まとめて選ぶ操作では選ばれません</source>
        <translation>Locked: no edit changes it, and the tools that select many colours at once pass it by</translation>
    </message>
    <message>
        <source>ロックした色は、適用・色の指定・パレット・カラーテーブルでも変わらず、すべて選択・似た色・色相の選択では選ばれない</source>
        <translation>A locked colour stays as it is through Apply, Set Colour, palettes and colour tables, and Select All, similar colours and select by hue pass it by</translation>
    </message>
</context>
<context>
    <name>tintor::CHelpMenu</name>
    <message>
        <source>Tintor ユーザーガイド</source>
        <translation>Tintor User Guide</translation>
    </message>
    <message>
        <source>ウィンドウのガイド (%1) が見つかりません。探した場所: %2</source>
        <translation>The window&apos;s guide (%1) was not found. Looked in: %2</translation>
    </message>
    <message>
        <source>キーボード ショートカット</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>コマンド</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>ウィンドウ全体</source>
        <translation>Whole window</translation>
    </message>
    <message>
        <source>ユーザーガイド(&amp;G)</source>
        <translation>User &amp;Guide</translation>
    </message>
    <message>
        <source>ウィンドウの使い方のガイドを開く</source>
        <translation>Open the guide to the window</translation>
    </message>
    <message>
        <source>キーボード ショートカット(&amp;K)</source>
        <translation>&amp;Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>キーで使えるコマンドの一覧を表示</source>
        <translation>List the commands that have keys</translation>
    </message>
</context>
<context>
    <name>tintor::CHueRangeDialog</name>
    <message>
        <source>色相で選択</source>
        <translation>Select by Hue</translation>
    </message>
    <message>
        <source>色相 (OKLCh) がこの範囲にある色を、灰色を除いてすべて選択に加えます。始まりが終わりより大きいと 0° をまたぎます。ロックした色は選ばれません。</source>
        <translation>Adds every colour whose hue (OKLCh) lies in this range to the selection, greys excepted. A start above the end wraps through 0°. Locked colours are passed by.</translation>
    </message>
    <message>
        <source>始まり(&amp;F):</source>
        <translation>&amp;From:</translation>
    </message>
    <message>
        <source>終わり(&amp;T):</source>
        <translation>&amp;To:</translation>
    </message>
</context>
<context>
    <name>tintor::CMainFrame</name>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>既存のﾌｧｲﾙを開く
開く</source>
        <translation>Open an existing movie
Open</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを上書きして保存
保存</source>
        <translation>Save the movie over its file
Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを新しい名前で保存
名前をつけて保存</source>
        <translation>Save the movie under a new name
Save As</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>保存(&amp;S)...</source>
        <translation>&amp;Save...</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示
終了</source>
        <translation>Quit the application, asking to save the movie first
Exit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す
元に戻す</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>やり直す(&amp;R)	Ctrl+Y</source>
        <translation>&amp;Redo	Ctrl+Y</translation>
    </message>
    <message>
        <source>アンドゥの取り消し
やり直す</source>
        <translation>Redo the action undone last
Redo</translation>
    </message>
    <message>
        <source>すべて選択(&amp;S)	Ctrl+A</source>
        <translation>Select &amp;All	Ctrl+A</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ内のすべてを選択
すべて選択</source>
        <translation>Select every colour of the movie
Select All</translation>
    </message>
    <message>
        <source>選択解除(&amp;N)	Ctrl+Shift+A</source>
        <translation>Select &amp;None	Ctrl+Shift+A</translation>
    </message>
    <message>
        <source>選択解除
選択解除</source>
        <translation>Clear the selection
Select None</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰの 表示/非表示
ﾂｰﾙ ﾊﾞｰの表示切り替え</source>
        <translation>Show or hide the toolbar
Toggle Toolbar</translation>
    </message>
    <message>
        <source>従来の色だけを集める(&amp;C)</source>
        <translation>&amp;Classic Colours Only</translation>
    </message>
    <message>
        <source>DefineShape4 などの新しい版のﾀｸﾞの色やフィルター・色合い・スクリプトの色を集めず、従来どおりの色だけを一覧にする
従来の色だけを集める</source>
        <translation>List only the classic colours, leaving out those of later tag versions such as DefineShape4 and the colours of filters, tints and scripts
Classic Colours Only</translation>
    </message>
    <message>
        <source>Tintor のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About Tintor...</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示
ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Show the program&apos;s information, version and copyright
About</translation>
    </message>
    <message>
        <source>次のｳｨﾝﾄﾞｳに切り替える
次のﾍﾟｲﾝ</source>
        <translation>Switch to the next pane
Next Pane</translation>
    </message>
    <message>
        <source>前のｳｨﾝﾄﾞｳに切り替える
前のﾍﾟｲﾝ</source>
        <translation>Switch to the previous pane
Previous Pane</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>カラーテーブル(&amp;T)</source>
        <translation>Colour &amp;Table</translation>
    </message>
    <message>
        <source>最近使ったﾌｧｲﾙ</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>言語(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>システムの設定に従う(&amp;S)</source>
        <translation>&amp;System&apos;s Language</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>指定のﾌｧｲﾙを開く</source>
        <translation>Open this file</translation>
    </message>
    <message>
        <source>選択した色をすべて、選んだひとつの色にする</source>
        <translation>Set every selected colour to one colour of your choice</translation>
    </message>
    <message>
        <source>色を指定</source>
        <translation>Set Colour</translation>
    </message>
    <message>
        <source>すべての色を、ほかのツールで使えるパレット ファイルに書き出す</source>
        <translation>Write every colour into a palette file that other tools can use</translation>
    </message>
    <message>
        <source>パレットを書き出す</source>
        <translation>Export Palette</translation>
    </message>
    <message>
        <source>色を指定(&amp;C)…</source>
        <translation>Set &amp;Colour…</translation>
    </message>
    <message>
        <source>パレットを書き出す(&amp;P)…</source>
        <translation>Export &amp;Palette…</translation>
    </message>
    <message>
        <source>取得した色 %1</source>
        <translation>Picked colour %1</translation>
    </message>
    <message>
        <source>%1 を開いています…</source>
        <translation>Opening %1…</translation>
    </message>
    <message>
        <source>保存しています…</source>
        <translation>Saving…</translation>
    </message>
    <message>
        <source>すべての画像を選択(&amp;B)</source>
        <translation>Select all &amp;bitmaps</translation>
    </message>
    <message>
        <source>色を変えられる画像をすべて選択する (色の選択はそのまま)</source>
        <translation>Select every image that can be recoloured (the colours stay selected as they are)</translation>
    </message>
    <message>
        <source>すべての画像を選択</source>
        <translation>Select all bitmaps</translation>
    </message>
    <message numerus="yes">
        <source>%n 個の画像を作り直して保存するので、ムービーの大きさが変わります (展開したとき %1 バイト → %2 バイト)。ほかのタグはそのままです。</source>
        <translation>
            <numerusform>Saving re-encodes %n image, so the movie changes size (uncompressed, %1 bytes → %2 bytes). Every other tag stays as it is.</numerusform>
            <numerusform>Saving re-encodes %n images, so the movie changes size (uncompressed, %1 bytes → %2 bytes). Every other tag stays as it is.</numerusform>
        </translation>
    </message>
    <message>
        <source>通常(&amp;N)</source>
        <translation>&amp;Normal vision</translation>
    </message>
    <message>
        <source>1型色覚 (P型)(&amp;P)</source>
        <translation>&amp;Protanopia</translation>
    </message>
    <message>
        <source>2型色覚 (D型)(&amp;D)</source>
        <translation>&amp;Deuteranopia</translation>
    </message>
    <message>
        <source>3型色覚 (T型)(&amp;T)</source>
        <translation>&amp;Tritanopia</translation>
    </message>
    <message>
        <source>グレースケール(&amp;G)</source>
        <translation>&amp;Greyscale</translation>
    </message>
    <message>
        <source>色相で選択(&amp;H)…</source>
        <translation>Select by &amp;Hue…</translation>
    </message>
    <message>
        <source>色相 (OKLCh) の範囲を指定し、その範囲の色を灰色とロックした色を除いてすべて選択に加える</source>
        <translation>Add every colour whose hue (OKLCh) lies in a range to the selection, greys and locked colours excepted</translation>
    </message>
    <message>
        <source>近い色で(&amp;N)…</source>
        <translation>By &amp;Nearest Colour…</translation>
    </message>
    <message>
        <source>選択した色をそれぞれ、パレット ファイルの中で最も近い色 (ΔE) にする</source>
        <translation>Change each selected colour to the nearest colour (ΔE) of a palette file</translation>
    </message>
    <message>
        <source>明るさの順で(&amp;L)…</source>
        <translation>By &amp;Lightness…</translation>
    </message>
    <message>
        <source>選択した色とパレットをそれぞれ明るさの順に並べ、同じ順位のパレットの色にする</source>
        <translation>Sort the selected colours and the palette by lightness and give each colour the palette colour of the same rank</translation>
    </message>
    <message>
        <source>パレットに合わせる(&amp;M)</source>
        <translation>&amp;Map to Palette</translation>
    </message>
    <message>
        <source>色覚シミュレーション(&amp;I)</source>
        <translation>S&amp;imulate</translation>
    </message>
    <message>
        <source>プレビューだけをこの見え方で表示する (ムービーは変わらない)</source>
        <translation>Show the preview alone as seen this way (the movie does not change)</translation>
    </message>
    <message>
        <source>色の系統ごとに並べる(&amp;G)</source>
        <translation>&amp;Group by Colour Family</translation>
    </message>
    <message>
        <source>似た色 (ΔE 8 以内でつながる色) を一行ずつにまとめ、行の先頭のつまみでまとめて選べるようにする
色の系統ごとに並べる</source>
        <translation>Puts each family of similar colours (joined within ΔE 8) on lines of its own, with a grip that selects the whole family
Group by Colour Family</translation>
    </message>
    <message>
        <source>元のムービー</source>
        <translation>Original Movie</translation>
    </message>
    <message>
        <source>押している間、開いたときのままのムービーをプレビューに表示する
元のムービー (押している間、または \ キー)</source>
        <translation>Shows the movie as it was opened in the preview while held down
Original movie (hold down, or hold the \ key)</translation>
    </message>
    <message>
        <source>%1 (不確か: 一覧のどの色とも一致しません。半透明や重なりの色かもしれません。近い色 %2)</source>
        <translation>%1 (uncertain: it matches no listed colour and may be a blend of translucent or overlapping colours; nearest %2)</translation>
    </message>
    <message>
        <source>%1 (近い色は一覧にありません)</source>
        <translation>%1 (no listed colour is near it)</translation>
    </message>
    <message>
        <source>色を並べ替えています…</source>
        <translation>Arranging the colours…</translation>
    </message>
    <message>
        <source>プレビューがまだ表示できません</source>
        <translation>The preview cannot show a movie yet</translation>
    </message>
    <message numerus="yes">
        <source>色 %Ln 個 (選択 %1 個)</source>
        <translation>
            <numerusform>%Ln colour (%1 selected)</numerusform>
            <numerusform>%Ln colours (%1 selected)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>画像 %Ln 個 (選択 %1 個)</source>
        <translation>
            <numerusform>%Ln image (%1 selected)</numerusform>
            <numerusform>%Ln images (%1 selected)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tintor::CQtFileDialogs</name>
    <message>
        <source>カラーテーブルを保存</source>
        <translation>Save Colour Table</translation>
    </message>
    <message>
        <source>カラーテーブルを開く</source>
        <translation>Open Colour Table</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>パレットを書き出す</source>
        <translation>Export Palette</translation>
    </message>
    <message>
        <source>SWF ファイル</source>
        <translation>Swf Files</translation>
    </message>
    <message>
        <source>カラーテーブル</source>
        <translation>Colour table</translation>
    </message>
    <message>
        <source>すべてのﾌｧｲﾙ</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>GIMP パレット</source>
        <translation>GIMP palette</translation>
    </message>
    <message>
        <source>Adobe スウォッチ交換</source>
        <translation>Adobe Swatch Exchange</translation>
    </message>
    <message>
        <source>パレット</source>
        <translation>Palettes</translation>
    </message>
    <message>
        <source>パレットを開く</source>
        <translation>Open Palette</translation>
    </message>
    <message>
        <source>フォルダー</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>tintor::CQtFramePrompts</name>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Tintor のﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Tintor</translation>
    </message>
    <message>
        <source>Tintor バージョン %1
SWF ムービーの色だけを変えるツール</source>
        <translation>Tintor version %1
Changes the colours of SWF movies and nothing else</translation>
    </message>
    <message>
        <source>色を指定</source>
        <translation>Set Colour</translation>
    </message>
</context>
<context>
    <name>tintor::CQtMessageSink</name>
    <message>
        <source>見つからない色があるんですけど……いいですか？</source>
        <translation>Some colours of the table are not in this movie. Is that all right?</translation>
    </message>
    <message>
        <source>名前付きパイプ (FIFO) で、ファイルではありません</source>
        <translation>it is a named pipe (FIFO), not a file</translation>
    </message>
    <message>
        <source>デバイスで、ファイルではありません</source>
        <translation>it is a device, not a file</translation>
    </message>
    <message>
        <source>ソケットで、ファイルではありません</source>
        <translation>it is a socket, not a file</translation>
    </message>
    <message>
        <source>ヘッダーが正しくありません。Shockwave Flash ファイルではありません。</source>
        <translation>ERROR: Illegal Header - not a Shockwave Flash File</translation>
    </message>
    <message>
        <source>共有フォルダー (スティッキーで誰でも書き込める) にある他のユーザーのシンボリックリンクなので、たどりません</source>
        <translation>it is a symbolic link of another user in a shared folder (sticky, writable by all), which is not followed</translation>
    </message>
    <message>
        <source>ファイルのヘッダーを読めません。</source>
        <translation>ERROR: Can&apos;t read the header of file</translation>
    </message>
    <message>
        <source>ファイルの本体を読めません。</source>
        <translation>ERROR: Can&apos;t read the body of file</translation>
    </message>
    <message>
        <source>ヘッダーに書かれたファイル サイズが小さすぎます。</source>
        <translation>ERROR: file size is too short</translation>
    </message>
    <message>
        <source>ムービーを読み込むためのメモリが足りません。</source>
        <translation>ERROR: not enough memory for the movie</translation>
    </message>
    <message>
        <source>カラー スクリプトではありません。</source>
        <translation>not a colour script</translation>
    </message>
    <message>
        <source>カラー スクリプトを読み込むためのメモリが足りません。</source>
        <translation>loadtable: memory allocation error!</translation>
    </message>
    <message>
        <source>ファイル “%1” を開けませんでした。</source>
        <translation>The file “%1” could not be opened.</translation>
    </message>
    <message>
        <source>ファイル “%1” を保存できませんでした。</source>
        <translation>The file “%1” could not be saved.</translation>
    </message>
    <message>
        <source>“%1” の色は、このムービーにひとつもありません。</source>
        <translation>None of the colours of “%1” is in this movie.</translation>
    </message>
    <message>
        <source>見つからない行: %1。色は何も変わりません。</source>
        <translation>Lines not found: %1. No colour was changed.</translation>
    </message>
    <message>
        <source>“%1” の行のうち、使った行: %2、見つからない行: %3。
OK で変更を残し、キャンセルで元の色に戻します。</source>
        <translation>Lines of “%1” used: %2, not found: %3.
OK keeps the change; Cancel leaves the colours as they were.</translation>
    </message>
    <message>
        <source>パレットに RGB の色がありません。</source>
        <translation>no RGB colours in the palette</translation>
    </message>
    <message>
        <source>%1 行目</source>
        <translation>line %1</translation>
    </message>
    <message>
        <source>%1 バイト目</source>
        <translation>byte %1</translation>
    </message>
    <message>
        <source>1 行目が &quot;GIMP Palette&quot; ではありません</source>
        <translation>the first line is not &quot;GIMP Palette&quot;</translation>
    </message>
    <message>
        <source>%1 は色の行 &apos;R G B 名前&apos; (R, G, B はそれぞれ 0..255) ではありません</source>
        <translation>%1 is not a colour &apos;R G B name&apos; with each of R, G, B 0..255</translation>
    </message>
    <message>
        <source>Adobe スウォッチ交換ファイルではありません (&quot;ASEF&quot; ヘッダーがありません)</source>
        <translation>not an Adobe swatch exchange file (no &quot;ASEF&quot; header)</translation>
    </message>
    <message>
        <source>形式のバージョン %1 は知らないものです</source>
        <translation>version %1 of the format is not known</translation>
    </message>
    <message>
        <source>ブロックのヘッダーが途中で切れています</source>
        <translation>block header cut short</translation>
    </message>
    <message>
        <source>%1 バイトのブロックがファイルの終わりを越えています</source>
        <translation>block of %1 bytes runs past the end</translation>
    </message>
    <message>
        <source>色のエントリーが名前の前で終わっています</source>
        <translation>colour entry ends before its name</translation>
    </message>
    <message>
        <source>色のエントリーが名前の途中で終わっています</source>
        <translation>colour entry ends inside its name</translation>
    </message>
    <message>
        <source>カラー モデル %1 は知らないものです</source>
        <translation>unknown colour model %1</translation>
    </message>
    <message>
        <source>色のエントリーが値の途中で終わっています</source>
        <translation>colour entry ends inside its values</translation>
    </message>
    <message>
        <source>色の値が数ではありません</source>
        <translation>colour value is not a number</translation>
    </message>
    <message>
        <source>コメントが閉じられていません</source>
        <translation>a comment that never ends</translation>
    </message>
    <message>
        <source>%1 の値 %2 は色 #rrggbb ではありません</source>
        <translation>%1 has the value %2, not a colour #rrggbb</translation>
    </message>
    <message>
        <source>色の配列 &quot;colours&quot; がありません</source>
        <translation>no &quot;colours&quot; array of colours</translation>
    </message>
    <message>
        <source>%1 バイト目 (%2 の後) が正しい JSON ではありません</source>
        <translation>not valid JSON at byte %1, after %2</translation>
    </message>
    <message>
        <source>色 %1 が%2です (オブジェクトか &quot;#rrggbb&quot; でなければなりません)</source>
        <translation>colour %1 is %2, not an object or &quot;#rrggbb&quot;</translation>
    </message>
    <message>
        <source>色 %1 の &quot;rgb&quot; に%2があります (数でなければなりません)</source>
        <translation>&quot;rgb&quot; of colour %1 holds %2, not a number</translation>
    </message>
    <message>
        <source>色 %2 の &quot;%1&quot; が%3です</source>
        <translation>&quot;%1&quot; of colour %2 is %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot; が%2です (配列でなければなりません)</source>
        <translation>&quot;%1&quot; is %2, not an array</translation>
    </message>
    <message>
        <source>ファイルの中身が%1で、パレットではありません</source>
        <translation>the file holds %1, not a palette</translation>
    </message>
    <message>
        <source>色 %1 の &quot;rgb&quot; に %2 があります (0..255 の整数でなければなりません)</source>
        <translation>&quot;rgb&quot; of colour %1 holds %2, not a whole number 0..255</translation>
    </message>
    <message>
        <source>色 %2 の %1 は色 &quot;#rrggbb&quot; ではありません</source>
        <translation>%1 of colour %2 is not a colour &quot;#rrggbb&quot;</translation>
    </message>
    <message>
        <source>色 %1 の &quot;rgb&quot; の数が %2 個です (3 個でなければなりません)</source>
        <translation>&quot;rgb&quot; of colour %1 holds %2 numbers, not 3</translation>
    </message>
    <message>
        <source>色 %1 に &quot;hex&quot; も &quot;rgb&quot; もありません</source>
        <translation>colour %1 has neither &quot;hex&quot; nor &quot;rgb&quot;</translation>
    </message>
    <message>
        <source> null </source>
        <translation>null</translation>
    </message>
    <message>
        <source> true か false </source>
        <translation>true or false</translation>
    </message>
    <message>
        <source>バイナリ データ</source>
        <translation>binary data</translation>
    </message>
    <message>
        <source>数</source>
        <translation>a number</translation>
    </message>
    <message>
        <source>文字列</source>
        <translation>a string</translation>
    </message>
    <message>
        <source>配列</source>
        <translation>an array</translation>
    </message>
    <message>
        <source>オブジェクト</source>
        <translation>an object</translation>
    </message>
</context>
<context>
    <name>tintor::CTintorApp</name>
    <message>
        <source>SWF ムービーの色を変えます。</source>
        <translation>Recolours SWF movies.</translation>
    </message>
    <message>
        <source>開くムービー (.swf)。</source>
        <translation>The movie to open (.swf).</translation>
    </message>
    <message>
        <source>[ムービー.swf]</source>
        <translation>[MOVIE.swf]</translation>
    </message>
    <message>
        <source>ウィンドウの言語 (ja または en)。システムや表示メニューの選択より優先されます。</source>
        <translation>The window&apos;s language, ja or en, whatever the system and the View menu say.</translation>
    </message>
    <message>
        <source>tintor: 開けるムービーはひとつだけです</source>
        <translation>tintor: give at most one movie</translation>
    </message>
    <message>
        <source>tintor: --lang には ja か en を指定してください</source>
        <translation>tintor: --lang takes ja or en</translation>
    </message>
    <message>
        <source>コマンドライン オプションの説明を表示します。</source>
        <translation>Displays help on commandline options.</translation>
    </message>
    <message>
        <source>バージョン情報を表示します。</source>
        <translation>Displays version information.</translation>
    </message>
    <message>
        <source>ムービー</source>
        <translation>movie</translation>
    </message>
</context>
<context>
    <name>tintor::CTintorView</name>
    <message>
        <source>ﾌｧｲﾙ &gt; 開く (Ctrl+O) でムービー (.swf) を開くか、ここにドロップしてください。</source>
        <translation>Open a movie (.swf) with File &gt; Open (Ctrl+O), or drop it here.</translation>
    </message>
    <message>
        <source>プレビューのプレーヤー (Ruffle) が見つかりません。
探した場所: %1</source>
        <translation>The preview&apos;s player (Ruffle) was not found.
Looked in: %1</translation>
    </message>
    <message>
        <source>プレビューのページを読み込めませんでした: %1</source>
        <translation>The preview&apos;s page could not be loaded: %1</translation>
    </message>
    <message>
        <source>プレビューが止まりました。次の適用で再び表示します。</source>
        <translation>The preview stopped. It comes back with the next Apply.</translation>
    </message>
    <message>
        <source>プレーヤーはこのファイルを SWF ムービーとして読めませんでした。</source>
        <translation>The player cannot read this file as an SWF movie.</translation>
    </message>
    <message>
        <source>プレーヤーを起動できませんでした。</source>
        <translation>The player could not be started.</translation>
    </message>
    <message>
        <source>プレーヤーがエラーで止まりました: %1</source>
        <translation>The player stopped with an error: %1</translation>
    </message>
    <message>
        <source>このムービーはプレビューできません。
%1
色の一覧と編集はそのまま使えます。</source>
        <translation>This movie cannot be previewed.
%1
The colour list and its editing work as before.</translation>
    </message>
    <message>
        <source>プレビューを更新中…</source>
        <translation>Updating the preview…</translation>
    </message>
    <message>
        <source>ムービーを読み込み中…</source>
        <translation>Loading the movie…</translation>
    </message>
    <message>
        <source>一覧の色はまだ適用されていません (適用で反映)</source>
        <translation>Not applied yet: the list shows other colours (Apply shows them here)</translation>
    </message>
    <message>
        <source>この色を探しています…</source>
        <translation>Looking for this colour…</translation>
    </message>
    <message>
        <source>この色をマゼンタで示しています</source>
        <translation>This colour is shown in magenta</translation>
    </message>
    <message>
        <source>この色はこのフレームにありません</source>
        <translation>This colour is not on this frame</translation>
    </message>
    <message>
        <source>この色は表示している範囲にありません</source>
        <translation>This colour is not in the part shown</translation>
    </message>
    <message>
        <source>1型色覚 (P型)</source>
        <translation>Protanopia</translation>
    </message>
    <message>
        <source>2型色覚 (D型)</source>
        <translation>Deuteranopia</translation>
    </message>
    <message>
        <source>3型色覚 (T型)</source>
        <translation>Tritanopia</translation>
    </message>
    <message>
        <source>グレースケール</source>
        <translation>Greyscale</translation>
    </message>
    <message>
        <source>色覚シミュレーション: %1</source>
        <translation>Colour-vision simulation: %1</translation>
    </message>
    <message>
        <source>元のムービー (開いたときのまま)</source>
        <translation>Original movie (as opened)</translation>
    </message>
    <message>
        <source>フィルター (影・光彩など) を表示できません: WebGL 2 が使えません</source>
        <translation>Filters (shadows, glows…) cannot be shown: no WebGL 2</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>ズーム(&amp;Z)</source>
        <translation>&amp;Zoom</translation>
    </message>
    <message>
        <source>全体を表示(&amp;F)</source>
        <translation>&amp;Fit</translation>
    </message>
    <message>
        <source>ムービー全体をプレビューに収める</source>
        <translation>Fit the whole movie into the preview</translation>
    </message>
    <message>
        <source>実際のサイズ (100 %)(&amp;A)</source>
        <translation>&amp;Actual Size (100 %)</translation>
    </message>
    <message>
        <source>ムービーの 1 ピクセルを画面の 1 ピクセルで表示する</source>
        <translation>Show each pixel of the movie as one pixel of the screen</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>プレビューを拡大する (Ctrl+ホイールでも。拡大中はホイールや中ボタンのドラッグで移動)</source>
        <translation>Zoom the preview in (Ctrl+wheel too; while zoomed, the wheel or a middle-button drag moves about)</translation>
    </message>
    <message>
        <source>縮小(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>プレビューを縮小する</source>
        <translation>Zoom the preview out</translation>
    </message>
</context>
<context>
    <name>tintor::ListNote</name>
    <message numerus="yes">
        <source>ビットマップ %n 個</source>
        <translation>
            <numerusform>%n bitmap</numerusform>
            <numerusform>%n bitmaps</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: ビットマップ %n 個、%2 バイト (%3)</source>
        <translation>
            <numerusform>%1: %n bitmap, %2 bytes (%3)</numerusform>
            <numerusform>%1: %n bitmaps, %2 bytes (%3)</numerusform>
        </translation>
    </message>
    <message>
        <source>共有の JPEGTables では作り直せない</source>
        <translation>the shared JPEGTables cannot encode a new image</translation>
    </message>
    <message>
        <source>スプライトの中</source>
        <translation>inside a sprite</translation>
    </message>
    <message>
        <source>読み取れないデータ</source>
        <translation>data that cannot be read</translation>
    </message>
    <message numerus="yes">
        <source>カラーマトリックスフィルター %n 個</source>
        <translation>
            <numerusform>%n colour-matrix filter</numerusform>
            <numerusform>%n colour-matrix filters</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>色合いでないカラー変換 %n 個</source>
        <translation>
            <numerusform>%n colour transform that is not a tint</numerusform>
            <numerusform>%n colour transforms that are not tints</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>ほかの色を入れる余地のない色合い %n か所</source>
        <translation>
            <numerusform>%n tint without room for other colours</numerusform>
            <numerusform>%n tints without room for other colours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>#rrggbb 以外の形の HTML の色 %n 個</source>
        <translation>
            <numerusform>%n HTML colour in another form than #rrggbb</numerusform>
            <numerusform>%n HTML colours in other forms than #rrggbb</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>数としても使われるスクリプトの定数 %n 個</source>
        <translation>
            <numerusform>%n script constant also used as a number</numerusform>
            <numerusform>%n script constants also used as numbers</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>ほかの色を入れる余地のないスクリプトの定数 %n 個</source>
        <translation>
            <numerusform>%n script constant without room for other colours</numerusform>
            <numerusform>%n script constants without room for other colours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>従来の色に入らないフィルターの色 %n 個</source>
        <translation>
            <numerusform>%n filter colour, not among the classic colours</numerusform>
            <numerusform>%n filter colours, not among the classic colours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>従来の色に入らない色合い %n か所</source>
        <translation>
            <numerusform>%n tint, not among the classic colours</numerusform>
            <numerusform>%n tints, not among the classic colours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>従来の色に入らない HTML の色 %n 個</source>
        <translation>
            <numerusform>%n HTML colour, not among the classic colours</numerusform>
            <numerusform>%n HTML colours, not among the classic colours</numerusform>
        </translation>
    </message>
    <message>
        <source>描画するスクリプト</source>
        <translation>scripts that draw</translation>
    </message>
    <message numerus="yes">
        <source>%1: 描画するスクリプト %n 個 (%2)</source>
        <translation>
            <numerusform>%1: %n script that draws (%2)</numerusform>
            <numerusform>%1: %n scripts that draw (%2)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>プレーヤーが白地と黒枠を描くテキストボックス %n 個</source>
        <translation>
            <numerusform>%n text box whose white background and black border the player draws</numerusform>
            <numerusform>%n text boxes whose white background and black border the player draws</numerusform>
        </translation>
    </message>
    <message>
        <source>ビデオ</source>
        <translation>video</translation>
    </message>
    <message numerus="yes">
        <source>ビデオ: %n フレーム</source>
        <translation>
            <numerusform>Video: %n frame</numerusform>
            <numerusform>Video: %n frames</numerusform>
        </translation>
    </message>
    <message>
        <source>このムービーにはほかに %1 があります — これらの色はそのままです</source>
        <translation>Also in this movie: %1 — their colours stay as they are</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message numerus="yes">
        <source>%1 → %2: %n か所が元の色のまま</source>
        <translation>
            <numerusform>%1 → %2: %n place kept its colour</numerusform>
            <numerusform>%1 → %2: %n places kept their colour</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> (うち %n か所は数としても使われる)</source>
        <translation>
            <numerusform> (%n of them also used as a number)</numerusform>
            <numerusform> (%n of them also used as numbers)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>色合い %n か所は新しい色を入れる余地がなく、元の色のままです</source>
        <translation>
            <numerusform>%n tint place had no room for its new colour and kept the old one</numerusform>
            <numerusform>%n tint places had no room for their new colour and kept the old one</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>スクリプトの定数 %n か所は新しい色を入れる余地がなく、元の色のままです</source>
        <translation>
            <numerusform>%n script constant had no room for its new colour and kept the old one</numerusform>
            <numerusform>%n script constants had no room for their new colour and kept the old one</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>数としても使われるスクリプトの定数 %n か所は元の色のままです</source>
        <translation>
            <numerusform>%n script constant is also used as a number and kept its value</numerusform>
            <numerusform>%n script constants are also used as numbers and kept their value</numerusform>
        </translation>
    </message>
</context>
</TS>
