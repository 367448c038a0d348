<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CodePages</name>
    <message>
        <source>简体中文 (GBK, GB18030)</source>
        <translation>Simplified Chinese (GBK, GB18030)</translation>
    </message>
    <message>
        <source>繁體中文 (Big5)</source>
        <translation>Traditional Chinese (Big5)</translation>
    </message>
    <message>
        <source>日本語 (Shift-JIS)</source>
        <translation>Japanese (Shift-JIS)</translation>
    </message>
    <message>
        <source>한국어 (UHC)</source>
        <translation>Korean (UHC)</translation>
    </message>
    <message>
        <source>ไทย (Thai)</source>
        <translation>Thai</translation>
    </message>
    <message>
        <source>Central European</source>
        <translation>Central European</translation>
    </message>
    <message>
        <source>Cyrillic</source>
        <translation>Cyrillic</translation>
    </message>
    <message>
        <source>Western European</source>
        <translation>Western European</translation>
    </message>
    <message>
        <source>Greek</source>
        <translation>Greek</translation>
    </message>
    <message>
        <source>Turkish</source>
        <translation>Turkish</translation>
    </message>
    <message>
        <source>Hebrew</source>
        <translation>Hebrew</translation>
    </message>
    <message>
        <source>Arabic</source>
        <translation>Arabic</translation>
    </message>
    <message>
        <source>Baltic</source>
        <translation>Baltic</translation>
    </message>
    <message>
        <source>Vietnamese</source>
        <translation>Vietnamese</translation>
    </message>
</context>
<context>
    <name>Results</name>
    <message>
        <source>相同</source>
        <translation>Same</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>减少</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>Changed</translation>
    </message>
</context>
<context>
    <name>app::TAboutForm</name>
    <message>
        <source>Quorvex - About</source>
        <translation>Quorvex - About</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>app::TMainForm</name>
    <message>
        <source>-L needs a label.</source>
        <translation>-L needs a label.</translation>
    </message>
    <message>
        <source>Give at most one label for each file.</source>
        <translation>Give at most one label for each file.</translation>
    </message>
    <message>
        <source>Name the files the labels are for.</source>
        <translation>Name the files the labels are for.</translation>
    </message>
    <message>
        <source>Name at most two sides or two files.</source>
        <translation>Name at most two sides or two files.</translation>
    </message>
    <message>
        <source>Name two libraries (or targets, workspaces, folders) or two text files, not one of each.</source>
        <translation>Name two libraries (or targets, workspaces, folders) or two text files, not one of each.</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: no such file</translation>
    </message>
    <message>
        <source>-o needs the merged file: -o MERGED FILE1 BASE FILE2.</source>
        <translation>-o needs the merged file: -o MERGED FILE1 BASE FILE2.</translation>
    </message>
    <message>
        <source>Name three files to merge: -o MERGED FILE1 BASE FILE2.</source>
        <translation>Name three files to merge: -o MERGED FILE1 BASE FILE2.</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>减少</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>Toggle to Objects View</source>
        <translation>Toggle to Objects View</translation>
    </message>
    <message>
        <source>所选语言在下次启动程序时生效。</source>
        <translation>The chosen language takes effect the next time the program starts.</translation>
    </message>
    <message>
        <source>Changes will be lost if you proceed with this compare.
Continue? ...</source>
        <translation>Changes will be lost if you proceed with this compare.
Continue?</translation>
    </message>
    <message>
        <source>设置文件中的代码页无效，使用 936</source>
        <translation>The code page in the settings file is not valid; using 936</translation>
    </message>
    <message>
        <source>information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>代码页</source>
        <translation>Code Page</translation>
    </message>
    <message>
        <source>8 位文本和库文件的代码页：</source>
        <translation>Code page of 8-bit texts and library files:</translation>
    </message>
    <message>
        <source>左%1行:右%2行</source>
        <translation>Left %1 : Right %2</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开文件 1...</source>
        <translation>Open File 1...</translation>
    </message>
    <message>
        <source>打开文件 2 ...</source>
        <translation>Open File 2...</translation>
    </message>
    <message>
        <source>添加文件夹 1…</source>
        <translation>Add Folder 1…</translation>
    </message>
    <message>
        <source>添加文件夹 2…</source>
        <translation>Add Folder 2…</translation>
    </message>
    <message>
        <source>添加 git 版本 1…</source>
        <translation>Add Git Revision 1…</translation>
    </message>
    <message>
        <source>添加 git 版本 2…</source>
        <translation>Add Git Revision 2…</translation>
    </message>
    <message>
        <source>保存文件 1 ...</source>
        <translation>Save File 1...</translation>
    </message>
    <message>
        <source>保存文件 2 ...</source>
        <translation>Save File 2...</translation>
    </message>
    <message>
        <source>保存结果为...</source>
        <translation>Save Report As...</translation>
    </message>
    <message>
        <source>退出(&amp;x)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>PB库文件列表</source>
        <translation>PB Library List</translation>
    </message>
    <message>
        <source>PBL对象列表</source>
        <translation>PBL Object List</translation>
    </message>
    <message>
        <source>源代码比较视图</source>
        <translation>Source Compare View</translation>
    </message>
    <message>
        <source>三方合并视图</source>
        <translation>Three-Way Merge View</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>C&amp;ut</source>
        <translation>C&amp;ut</translation>
    </message>
    <message>
        <source>C&amp;opy</source>
        <translation>C&amp;opy</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>查找(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>查找...</source>
        <translation>Find...</translation>
    </message>
    <message>
        <source>重复查找</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>到前一个不同点</source>
        <translation>Previous Difference</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Replace</translation>
    </message>
    <message>
        <source>到下一个不同点</source>
        <translation>Next Difference</translation>
    </message>
    <message>
        <source>源码比较</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Compare</translation>
    </message>
    <message>
        <source>Cancel  C&amp;ompare</source>
        <translation>Cancel C&amp;ompare</translation>
    </message>
    <message>
        <source>Compare Modified &amp;Files</source>
        <translation>Compare Modified &amp;Files</translation>
    </message>
    <message>
        <source>Copy Block &amp;Right</source>
        <translation>Copy Block &amp;Right</translation>
    </message>
    <message>
        <source>Copy Block &amp;Left</source>
        <translation>Copy Block &amp;Left</translation>
    </message>
    <message>
        <source>选项(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>忽略空格</source>
        <translation>Ignore Blanks</translation>
    </message>
    <message>
        <source>忽略大小写</source>
        <translation>Ignore Case</translation>
    </message>
    <message>
        <source>忽略注释</source>
        <translation>Ignore Comments</translation>
    </message>
    <message>
        <source>对齐相似行</source>
        <translation>Align Similar Lines</translation>
    </message>
    <message>
        <source>按段比较</source>
        <translation>Compare by Section</translation>
    </message>
    <message>
        <source>忽略位置和大小</source>
        <translation>Ignore Position and Size</translation>
    </message>
    <message>
        <source>忽略迁移默认值</source>
        <translation>Ignore Migration Defaults</translation>
    </message>
    <message>
        <source>读取库文件而非其旁的导出文件</source>
        <translation>Read Library Files, Not the Exports Beside Them</translation>
    </message>
    <message>
        <source>只显示不同部分</source>
        <translation>Show Differences Only</translation>
    </message>
    <message>
        <source>横排窗口</source>
        <translation>Panes One Above the Other</translation>
    </message>
    <message>
        <source>设置颜色标志</source>
        <translation>Highlight Colors</translation>
    </message>
    <message>
        <source>设置[增加]颜色</source>
        <translation>Color of Added Lines...</translation>
    </message>
    <message>
        <source>设置[修改]颜色</source>
        <translation>Color of Changed Lines...</translation>
    </message>
    <message>
        <source>设置[删除]颜色</source>
        <translation>Color of Deleted Lines...</translation>
    </message>
    <message>
        <source>字体 ...</source>
        <translation>Font...</translation>
    </message>
    <message>
        <source>代码页…</source>
        <translation>Code Page…</translation>
    </message>
    <message>
        <source>语言(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>中文(&amp;C)</source>
        <translation>&amp;Chinese</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>&amp;English</translation>
    </message>
    <message>
        <source>跟随系统(&amp;S)</source>
        <translation>&amp;System Default</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>查看帮助</source>
        <translation>Help Contents</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Library list</source>
        <translation>Library list</translation>
    </message>
    <message>
        <source>Objects in library</source>
        <translation>Objects in library</translation>
    </message>
    <message>
        <source>object source code compare</source>
        <translation>Object source code compare</translation>
    </message>
    <message>
        <source>Open 1</source>
        <translation>Open 1</translation>
    </message>
    <message>
        <source>Open 2</source>
        <translation>Open 2</translation>
    </message>
    <message>
        <source>Save 1</source>
        <translation>Save 1</translation>
    </message>
    <message>
        <source>Save 2</source>
        <translation>Save 2</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>Cancel Compare</source>
        <translation>Cancel Compare</translation>
    </message>
    <message>
        <source>Next Diff</source>
        <translation>Next Diff</translation>
    </message>
    <message>
        <source>Prev Diff</source>
        <translation>Prev Diff</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>找不到迁移默认值表 dwdefaults.txt，“忽略迁移默认值”不会忽略任何属性。找过这些地方：
%1</source>
        <translation>The table of migration defaults, dwdefaults.txt, was not found: “Ignore Migration Defaults” ignores no attribute. Looked in:
%1</translation>
    </message>
</context>
<context>
    <name>editor::TCodeEdit</name>
    <message>
        <source>Cannot open clipboard.</source>
        <translation>Cannot open clipboard.</translation>
    </message>
</context>
<context>
    <name>fileview::TFilesFrame</name>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Text Files (*.txt)</translation>
    </message>
    <message>
        <source>HTML 文件 (*.html *.htm)</source>
        <translation>HTML Files (*.html *.htm)</translation>
    </message>
    <message>
        <source>按段比较时窗格是只读的，不能修改。</source>
        <translation>The panes are read-only while comparing by section.</translation>
    </message>
    <message>
        <source>此窗格是只读的（库中的对象），不能修改。</source>
        <translation>This pane is read-only (an object in a library).</translation>
    </message>
    <message>
        <source>打开文本文件 %1</source>
        <translation>Open Text File %1</translation>
    </message>
    <message>
        <source>%1

这个文件载入以后已在磁盘上被改过。
重新载入它（丢弃窗格中的修改），还是保留窗格中的修改？</source>
        <translation>%1

This file has changed on disk since it was loaded.
Reload it (losing the edits in the pane), or keep the edits in the pane?</translation>
    </message>
    <message>
        <source>重新载入</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>保留修改</source>
        <translation>Keep Edits</translation>
    </message>
    <message>
        <source>Case Ignored</source>
        <translation>Case Ignored</translation>
    </message>
    <message>
        <source>Blanks Ignored</source>
        <translation>Blanks Ignored</translation>
    </message>
    <message>
        <source>Comments Ignored</source>
        <translation>Comments Ignored</translation>
    </message>
    <message>
        <source>Similar Lines Aligned</source>
        <translation>Similar Lines Aligned</translation>
    </message>
    <message>
        <source>By Section</source>
        <translation>By Section</translation>
    </message>
    <message>
        <source>Position Ignored</source>
        <translation>Position Ignored</translation>
    </message>
    <message>
        <source>Defaults Ignored</source>
        <translation>Defaults Ignored</translation>
    </message>
    <message>
        <source>  (%1)</source>
        <translation>  (%1)</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>按行比较：</source>
        <translation>Compared by line: </translation>
    </message>
    <message>
        <source>文件 %1</source>
        <translation>File %1</translation>
    </message>
    <message>
        <source>%1

这个窗格中的修改还没有保存。保存吗？</source>
        <translation>%1

The edits in this pane have not been saved. Save them?</translation>
    </message>
    <message>
        <source>Compare cancelled.</source>
        <translation>Compare cancelled.</translation>
    </message>
    <message>
        <source>Approx. %1% complete</source>
        <translation>Approx. %1% complete</translation>
    </message>
    <message>
        <source>Copy Block &amp;Down</source>
        <translation>Copy Block &amp;Down</translation>
    </message>
    <message>
        <source>Copy Block &amp;Up</source>
        <translation>Copy Block &amp;Up</translation>
    </message>
    <message>
        <source>Copy Block &amp;Right</source>
        <translation>Copy Block &amp;Right</translation>
    </message>
    <message>
        <source>Copy Block &amp;Left</source>
        <translation>Copy Block &amp;Left</translation>
    </message>
    <message>
        <source>目标窗格是只读的，不能复制到其中。</source>
        <translation>The target pane is read-only; nothing can be copied into it.</translation>
    </message>
    <message>
        <source>HTML 报告写出上次比较的结果，窗格中此后的修改不在其中。要包含修改，请先重新比较。仍然保存吗？</source>
        <translation>The HTML report holds the result of the last comparison; edits made in the panes since then are not in it. To include them, compare again first. Save anyway?</translation>
    </message>
    <message>
        <source>未显示 %1 行仅一侧有、按选项忽略的属性</source>
        <translation>%1 attribute lines on one side only, ignored by the options, are not shown</translation>
    </message>
</context>
<context>
    <name>libview::TLibFrame</name>
    <message>
        <source>PowerBuilder Library Files(*.pbl)|*.pbl|PowerBuilder Target(*.pbt)|*.pbt|PowerBuilder WorkSpace(*.pbw)|*.pbw</source>
        <translation>PowerBuilder Library Files(*.pbl)|*.pbl|PowerBuilder Target(*.pbt)|*.pbt|PowerBuilder WorkSpace(*.pbw)|*.pbw</translation>
    </message>
    <message>
        <source>库文件列表</source>
        <translation>Library File</translation>
    </message>
    <message>
        <source>比较结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>修改时间1</source>
        <translation>Modified 1</translation>
    </message>
    <message>
        <source>大小1</source>
        <translation>Size 1</translation>
    </message>
    <message>
        <source>修改时间2</source>
        <translation>Modified 2</translation>
    </message>
    <message>
        <source>大小2</source>
        <translation>Size 2</translation>
    </message>
    <message>
        <source>对象名称</source>
        <translation>Object Name</translation>
    </message>
    <message>
        <source>时间1</source>
        <translation>Time 1</translation>
    </message>
    <message>
        <source>时间2</source>
        <translation>Time 2</translation>
    </message>
    <message>
        <source>类型标志</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>变化类型</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>添加文件夹 %1</source>
        <translation>Add Folder %1</translation>
    </message>
    <message>
        <source>添加文件夹 %1…</source>
        <translation>Add Folder %1…</translation>
    </message>
    <message>
        <source>添加 git 版本 %1…</source>
        <translation>Add Git Revision %1…</translation>
    </message>
    <message>
        <source>打开PB库文件 %1</source>
        <translation>Open PB Library Files %1</translation>
    </message>
    <message>
        <source>打开一个PB库文件 %1</source>
        <translation>Open One PB Library %1</translation>
    </message>
    <message>
        <source>Approx. %1% complete</source>
        <translation>Approx. %1% complete</translation>
    </message>
    <message>
        <source>顺序</source>
        <translation>order</translation>
    </message>
    <message>
        <source>位置和大小</source>
        <translation>position and size</translation>
    </message>
    <message>
        <source>迁移默认值</source>
        <translation>migration defaults</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>layout</translation>
    </message>
    <message>
        <source>空行</source>
        <translation>blank lines</translation>
    </message>
    <message>
        <source>仅%1</source>
        <translation>%1 only</translation>
    </message>
    <message>
        <source>PowerBuilder Library Files(*.pbl)|*.pbl</source>
        <translation>PowerBuilder Library Files(*.pbl)|*.pbl</translation>
    </message>
    <message>
        <source>添加 git 版本 %1</source>
        <translation>Add Git Revision %1</translation>
    </message>
    <message>
        <source>整个版本</source>
        <translation>the whole revision</translation>
    </message>
    <message>
        <source>仓库文件夹(&amp;R):</source>
        <translation>&amp;Repository folder:</translation>
    </message>
    <message>
        <source>版本(&amp;V):</source>
        <translation>Re&amp;vision:</translation>
    </message>
    <message>
        <source>路径(&amp;P):</source>
        <translation>&amp;Path:</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 does not exist</translation>
    </message>
    <message>
        <source>do not exist</source>
        <translation>do not exist</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>hold no library</source>
        <translation>hold no library</translation>
    </message>
    <message>
        <source>left out</source>
        <translation>left out</translation>
    </message>
    <message>
        <source>%1 already in Destination</source>
        <translation>%1 already in Destination</translation>
    </message>
    <message>
        <source>already in Destination</source>
        <translation>already in Destination</translation>
    </message>
    <message>
        <source>differ from their exports</source>
        <translation>differ from their exports</translation>
    </message>
    <message>
        <source>%1:</source>
        <translation>%1:</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>左侧</source>
        <translation>left side</translation>
    </message>
    <message>
        <source>右侧</source>
        <translation>right side</translation>
    </message>
    <message>
        <source>%1没有打开的库</source>
        <translation>No library is open on the %1</translation>
    </message>
    <message>
        <source>%1是PB库文件，只读（请先导出到文件夹）</source>
        <translation>The %1 is a PB library file, read-only (export it to a folder first)</translation>
    </message>
    <message>
        <source>%1是 git 版本，只读</source>
        <translation>The %1 is a git revision, read-only</translation>
    </message>
    <message>
        <source>%1按其对象列表(.pbg)读取，复制的文件不会列入</source>
        <translation>The %1 is read through its object list (.pbg); a copied file would not be listed</translation>
    </message>
    <message>
        <source>没有选中的对象</source>
        <translation>No object is selected</translation>
    </message>
    <message>
        <source>%1没有这个对象</source>
        <translation>The %1 has no such object</translation>
    </message>
    <message>
        <source>对象名不能用作文件名</source>
        <translation>The object&apos;s name cannot be used as a file name</translation>
    </message>
    <message>
        <source>%1 已存在。
用另一侧的对象替换它吗？</source>
        <translation>%1 already exists.
Replace it with the object of the other side?</translation>
    </message>
    <message>
        <source>从%1删除 %2 吗？</source>
        <translation>Delete %2 from the %1?</translation>
    </message>
    <message>
        <source>已写入 %1</source>
        <translation>Wrote %1</translation>
    </message>
    <message>
        <source>已删除 %1</source>
        <translation>Deleted %1</translation>
    </message>
    <message>
        <source>复制到左侧(&amp;L)</source>
        <translation>Copy to &amp;Left</translation>
    </message>
    <message>
        <source>复制到右侧(&amp;R)</source>
        <translation>Copy to &amp;Right</translation>
    </message>
    <message>
        <source>从左侧删除(&amp;1)</source>
        <translation>Delete from Left (&amp;1)</translation>
    </message>
    <message>
        <source>从右侧删除(&amp;2)</source>
        <translation>Delete from Right (&amp;2)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>no library header</source>
        <translation>no library header</translation>
    </message>
    <message>
        <source>truncated</source>
        <translation>truncated</translation>
    </message>
    <message>
        <source>offset out of range</source>
        <translation>offset out of range</translation>
    </message>
    <message>
        <source>directory node read twice</source>
        <translation>directory node read twice</translation>
    </message>
    <message>
        <source>directory records overlap</source>
        <translation>directory records overlap</translation>
    </message>
    <message>
        <source>block chain loops</source>
        <translation>block chain loops</translation>
    </message>
    <message>
        <source>block longer than 502 bytes</source>
        <translation>block longer than 502 bytes</translation>
    </message>
    <message>
        <source>data longer than the entry&apos;s size</source>
        <translation>data longer than the entry&apos;s size</translation>
    </message>
    <message>
        <source>%1 at offset %2</source>
        <translation>%1 at offset %2</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>%1 left out: %2 is %3</source>
        <translation>%1 left out: %2 is %3</translation>
    </message>
    <message>
        <source>%1 holds no library</source>
        <translation>%1 holds no library</translation>
    </message>
    <message>
        <source>%1: %2 and its exports in this folder differ in 1 object</source>
        <translation>%1: %2 and its exports in this folder differ in 1 object</translation>
    </message>
    <message>
        <source>%1: %2 and its exports in this folder differ in %3 objects</source>
        <translation>%1: %2 and its exports in this folder differ in %3 objects</translation>
    </message>
</context>
<context>
    <name>mergeview::TMergeFrame</name>
    <message>
        <source>取侧 1</source>
        <translation>Take Side 1</translation>
    </message>
    <message>
        <source>取基础</source>
        <translation>Take Base</translation>
    </message>
    <message>
        <source>取侧 2</source>
        <translation>Take Side 2</translation>
    </message>
    <message>
        <source>取两侧（1 在前）</source>
        <translation>Take Both (1 First)</translation>
    </message>
    <message>
        <source>取两侧（2 在前）</source>
        <translation>Take Both (2 First)</translation>
    </message>
    <message>
        <source>只有合并结果可以修改。</source>
        <translation>Only the merge result can be edited.</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>上一冲突</source>
        <translation>Previous Conflict</translation>
    </message>
    <message>
        <source>下一冲突</source>
        <translation>Next Conflict</translation>
    </message>
    <message>
        <source>侧 1（本地）</source>
        <translation>Side 1 (local)</translation>
    </message>
    <message>
        <source>基础</source>
        <translation>Base</translation>
    </message>
    <message>
        <source>侧 2（远程）</source>
        <translation>Side 2 (remote)</translation>
    </message>
    <message>
        <source>合并结果: </source>
        <translation>Merge result: </translation>
    </message>
    <message>
        <source>按行合并: </source>
        <translation>Merged by line: </translation>
    </message>
    <message>
        <source>合并结果的修改将会丢失。
仍要重新合并吗？</source>
        <translation>The edits of the merge result will be lost.
Merge again anyway?</translation>
    </message>
    <message>
        <source>保存合并结果</source>
        <translation>Save Merge Result</translation>
    </message>
    <message>
        <source>没有未解决的冲突</source>
        <translation>No unresolved conflicts</translation>
    </message>
    <message>
        <source>未解决的冲突: %1</source>
        <translation>Unresolved conflicts: %1</translation>
    </message>
    <message>
        <source>还有 %1 处冲突未解决，冲突处将保存基础版本的行。
仍要保存吗？</source>
        <translation>%1 conflicts are still unresolved; the base version&apos;s lines will be saved in their place.
Save anyway?</translation>
    </message>
    <message>
        <source>已保存 </source>
        <translation>Saved </translation>
    </message>
    <message>
        <source>合并结果 %1 已修改，要保存吗？</source>
        <translation>The merge result %1 has been edited. Save it?</translation>
    </message>
</context>
<context>
    <name>search::TFindForm</name>
    <message>
        <source>&amp;Text to Find:</source>
        <translation>&amp;Text to Find:</translation>
    </message>
    <message>
        <source>&amp;Replace with:</source>
        <translation>&amp;Replace with:</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>&amp;Case Sensitive</source>
        <translation>&amp;Case Sensitive</translation>
    </message>
    <message>
        <source>&amp;Whole Words Only</source>
        <translation>&amp;Whole Words Only</translation>
    </message>
    <message>
        <source>&amp;Prompt on Replace</source>
        <translation>&amp;Prompt on Replace</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>&amp;Forwards</source>
        <translation>&amp;Forwards</translation>
    </message>
    <message>
        <source>&amp;Backwards</source>
        <translation>&amp;Backwards</translation>
    </message>
    <message>
        <source>Replace &amp;One</source>
        <translation>Replace &amp;One</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Replace &amp;All</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Find text</source>
        <translation>Find text</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Replace text</source>
        <translation>Replace text</translation>
    </message>
</context>
<context>
    <name>search::TReplaceForm</name>
    <message>
        <source>Replace ...</source>
        <translation>Replace ...</translation>
    </message>
    <message>
        <source>Replace:</source>
        <translation>Replace:</translation>
    </message>
    <message>
        <source>with:</source>
        <translation>with:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>&amp;Skip</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>&amp;All</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
</TS>
