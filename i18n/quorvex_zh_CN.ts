<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CodePages</name>
    <message>
        <source>简体中文 (GBK, GB18030)</source>
        <translation>简体中文 (GBK, GB18030)</translation>
    </message>
    <message>
        <source>繁體中文 (Big5)</source>
        <translation>繁体中文 (Big5)</translation>
    </message>
    <message>
        <source>日本語 (Shift-JIS)</source>
        <translation>日文 (Shift-JIS)</translation>
    </message>
    <message>
        <source>한국어 (UHC)</source>
        <translation>韩文 (UHC)</translation>
    </message>
    <message>
        <source>ไทย (Thai)</source>
        <translation>泰文</translation>
    </message>
    <message>
        <source>Central European</source>
        <translation>中欧</translation>
    </message>
    <message>
        <source>Cyrillic</source>
        <translation>西里尔文</translation>
    </message>
    <message>
        <source>Western European</source>
        <translation>西欧</translation>
    </message>
    <message>
        <source>Greek</source>
        <translation>希腊文</translation>
    </message>
    <message>
        <source>Turkish</source>
        <translation>土耳其文</translation>
    </message>
    <message>
        <source>Hebrew</source>
        <translation>希伯来文</translation>
    </message>
    <message>
        <source>Arabic</source>
        <translation>阿拉伯文</translation>
    </message>
    <message>
        <source>Baltic</source>
        <translation>波罗的海文</translation>
    </message>
    <message>
        <source>Vietnamese</source>
        <translation>越南文</translation>
    </message>
</context>
<context>
    <name>Results</name>
    <message>
        <source>相同</source>
        <translation>相同</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>增加</translation>
    </message>
    <message>
        <source>减少</source>
        <translation>减少</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>更改</translation>
    </message>
</context>
<context>
    <name>app::TAboutForm</name>
    <message>
        <source>Quorvex - About</source>
        <translation>Quorvex - 关于</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>确定(&amp;O)</translation>
    </message>
</context>
<context>
    <name>app::TMainForm</name>
    <message>
        <source>-L needs a label.</source>
        <translation>-L 后面要有标签。</translation>
    </message>
    <message>
        <source>Give at most one label for each file.</source>
        <translation>每个文件最多一个标签。</translation>
    </message>
    <message>
        <source>Name the files the labels are for.</source>
        <translation>请给出标签所对应的文件。</translation>
    </message>
    <message>
        <source>Name at most two sides or two files.</source>
        <translation>最多给出两侧或两个文件。</translation>
    </message>
    <message>
        <source>Name two libraries (or targets, workspaces, folders) or two text files, not one of each.</source>
        <translation>请给出两个库（或目标、工作区、文件夹）或两个文本文件，不能各给一个。</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1：没有这个文件</translation>
    </message>
    <message>
        <source>-o needs the merged file: -o MERGED FILE1 BASE FILE2.</source>
        <translation>-o 后面要有合并结果文件：-o MERGED FILE1 BASE FILE2。</translation>
    </message>
    <message>
        <source>Name three files to merge: -o MERGED FILE1 BASE FILE2.</source>
        <translation>请给出要合并的三个文件：-o MERGED FILE1 BASE FILE2。</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>增加</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>减少</source>
        <translation>减少</translation>
    </message>
    <message>
        <source>Toggle to Objects View</source>
        <translation>切换到对象列表</translation>
    </message>
    <message>
        <source>所选语言在下次启动程序时生效。</source>
        <translation>所选语言在下次启动程序时生效。</translation>
    </message>
    <message>
        <source>Changes will be lost if you proceed with this compare.
Continue? ...</source>
        <translation>继续比较将丢失所做的修改。
继续吗？</translation>
    </message>
    <message>
        <source>设置文件中的代码页无效，使用 936</source>
        <translation>设置文件中的代码页无效，使用 936</translation>
    </message>
    <message>
        <source>information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>代码页</source>
        <translation>代码页</translation>
    </message>
    <message>
        <source>8 位文本和库文件的代码页：</source>
        <translation>8 位文本和库文件的代码页：</translation>
    </message>
    <message>
        <source>左%1行:右%2行</source>
        <translation>左%1行:右%2行</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>打开文件 1...</source>
        <translation>打开文件 1...</translation>
    </message>
    <message>
        <source>打开文件 2 ...</source>
        <translation>打开文件 2 ...</translation>
    </message>
    <message>
        <source>添加文件夹 1…</source>
        <translation>添加文件夹 1…</translation>
    </message>
    <message>
        <source>添加文件夹 2…</source>
        <translation>添加文件夹 2…</translation>
    </message>
    <message>
        <source>添加 git 版本 1…</source>
        <translation>添加 git 版本 1…</translation>
    </message>
    <message>
        <source>添加 git 版本 2…</source>
        <translation>添加 git 版本 2…</translation>
    </message>
    <message>
        <source>保存文件 1 ...</source>
        <translation>保存文件 1 ...</translation>
    </message>
    <message>
        <source>保存文件 2 ...</source>
        <translation>保存文件 2 ...</translation>
    </message>
    <message>
        <source>保存结果为...</source>
        <translation>保存结果为...</translation>
    </message>
    <message>
        <source>退出(&amp;x)</source>
        <translation>退出(&amp;x)</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>PB库文件列表</source>
        <translation>PB库文件列表</translation>
    </message>
    <message>
        <source>PBL对象列表</source>
        <translation>PBL对象列表</translation>
    </message>
    <message>
        <source>源代码比较视图</source>
        <translation>源代码比较视图</translation>
    </message>
    <message>
        <source>三方合并视图</source>
        <translation>三方合并视图</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <source>C&amp;ut</source>
        <translation>剪切(&amp;T)</translation>
    </message>
    <message>
        <source>C&amp;opy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>粘贴(&amp;P)</translation>
    </message>
    <message>
        <source>查找(&amp;S)</source>
        <translation>查找(&amp;S)</translation>
    </message>
    <message>
        <source>查找...</source>
        <translation>查找...</translation>
    </message>
    <message>
        <source>重复查找</source>
        <translation>重复查找</translation>
    </message>
    <message>
        <source>到前一个不同点</source>
        <translation>到前一个不同点</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>替换(&amp;R)</translation>
    </message>
    <message>
        <source>到下一个不同点</source>
        <translation>到下一个不同点</translation>
    </message>
    <message>
        <source>源码比较</source>
        <translation>源码比较</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>比较(&amp;C)</translation>
    </message>
    <message>
        <source>Cancel  C&amp;ompare</source>
        <translation>取消比较(&amp;O)</translation>
    </message>
    <message>
        <source>Compare Modified &amp;Files</source>
        <translation>比较修改过的文件(&amp;F)</translation>
    </message>
    <message>
        <source>Copy Block &amp;Right</source>
        <translation>向右复制块(&amp;R)</translation>
    </message>
    <message>
        <source>Copy Block &amp;Left</source>
        <translation>向左复制块(&amp;L)</translation>
    </message>
    <message>
        <source>选项(&amp;O)</source>
        <translation>选项(&amp;O)</translation>
    </message>
    <message>
        <source>忽略空格</source>
        <translation>忽略空格</translation>
    </message>
    <message>
        <source>忽略大小写</source>
        <translation>忽略大小写</translation>
    </message>
    <message>
        <source>忽略注释</source>
        <translation>忽略注释</translation>
    </message>
    <message>
        <source>对齐相似行</source>
        <translation>对齐相似行</translation>
    </message>
    <message>
        <source>按段比较</source>
        <translation>按段比较</translation>
    </message>
    <message>
        <source>忽略位置和大小</source>
        <translation>忽略位置和大小</translation>
    </message>
    <message>
        <source>忽略迁移默认值</source>
        <translation>忽略迁移默认值</translation>
    </message>
    <message>
        <source>读取库文件而非其旁的导出文件</source>
        <translation>读取库文件而非其旁的导出文件</translation>
    </message>
    <message>
        <source>只显示不同部分</source>
        <translation>只显示不同部分</translation>
    </message>
    <message>
        <source>横排窗口</source>
        <translation>横排窗口</translation>
    </message>
    <message>
        <source>设置颜色标志</source>
        <translation>设置颜色标志</translation>
    </message>
    <message>
        <source>设置[增加]颜色</source>
        <translation>设置[增加]颜色</translation>
    </message>
    <message>
        <source>设置[修改]颜色</source>
        <translation>设置[修改]颜色</translation>
    </message>
    <message>
        <source>设置[删除]颜色</source>
        <translation>设置[删除]颜色</translation>
    </message>
    <message>
        <source>字体 ...</source>
        <translation>字体 ...</translation>
    </message>
    <message>
        <source>代码页…</source>
        <translation>代码页…</translation>
    </message>
    <message>
        <source>语言(&amp;L)</source>
        <translation>语言(&amp;L)</translation>
    </message>
    <message>
        <source>中文(&amp;C)</source>
        <translation>中文(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>英文(&amp;E)</translation>
    </message>
    <message>
        <source>跟随系统(&amp;S)</source>
        <translation>跟随系统(&amp;S)</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>查看帮助</source>
        <translation>查看帮助</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>关于...</translation>
    </message>
    <message>
        <source>Library list</source>
        <translation>库文件列表</translation>
    </message>
    <message>
        <source>Objects in library</source>
        <translation>库中的对象</translation>
    </message>
    <message>
        <source>object source code compare</source>
        <translation>对象源代码比较</translation>
    </message>
    <message>
        <source>Open 1</source>
        <translation>打开 1</translation>
    </message>
    <message>
        <source>Open 2</source>
        <translation>打开 2</translation>
    </message>
    <message>
        <source>Save 1</source>
        <translation>保存 1</translation>
    </message>
    <message>
        <source>Save 2</source>
        <translation>保存 2</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>切换横排</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>比较</translation>
    </message>
    <message>
        <source>Cancel Compare</source>
        <translation>取消比较</translation>
    </message>
    <message>
        <source>Next Diff</source>
        <translation>下一个不同点</translation>
    </message>
    <message>
        <source>Prev Diff</source>
        <translation>前一个不同点</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>替换</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>找不到迁移默认值表 dwdefaults.txt，“忽略迁移默认值”不会忽略任何属性。找过这些地方：
%1</source>
        <translation>找不到迁移默认值表 dwdefaults.txt，“忽略迁移默认值”不会忽略任何属性。找过这些地方：
%1</translation>
    </message>
</context>
<context>
    <name>editor::TCodeEdit</name>
    <message>
        <source>Cannot open clipboard.</source>
        <translation>无法打开剪贴板。</translation>
    </message>
</context>
<context>
    <name>fileview::TFilesFrame</name>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>HTML 文件 (*.html *.htm)</source>
        <translation>HTML 文件 (*.html *.htm)</translation>
    </message>
    <message>
        <source>按段比较时窗格是只读的，不能修改。</source>
        <translation>按段比较时窗格是只读的，不能修改。</translation>
    </message>
    <message>
        <source>此窗格是只读的（库中的对象），不能修改。</source>
        <translation>此窗格是只读的（库中的对象），不能修改。</translation>
    </message>
    <message>
        <source>打开文本文件 %1</source>
        <translation>打开文本文件 %1</translation>
    </message>
    <message>
        <source>%1

这个文件载入以后已在磁盘上被改过。
重新载入它（丢弃窗格中的修改），还是保留窗格中的修改？</source>
        <translation>%1

这个文件载入以后已在磁盘上被改过。
重新载入它（丢弃窗格中的修改），还是保留窗格中的修改？</translation>
    </message>
    <message>
        <source>重新载入</source>
        <translation>重新载入</translation>
    </message>
    <message>
        <source>保留修改</source>
        <translation>保留修改</translation>
    </message>
    <message>
        <source>Case Ignored</source>
        <translation>忽略大小写</translation>
    </message>
    <message>
        <source>Blanks Ignored</source>
        <translation>忽略空格</translation>
    </message>
    <message>
        <source>Comments Ignored</source>
        <translation>忽略注释</translation>
    </message>
    <message>
        <source>Similar Lines Aligned</source>
        <translation>对齐相似行</translation>
    </message>
    <message>
        <source>By Section</source>
        <translation>按段比较</translation>
    </message>
    <message>
        <source>Position Ignored</source>
        <translation>忽略位置和大小</translation>
    </message>
    <message>
        <source>Defaults Ignored</source>
        <translation>忽略迁移默认值</translation>
    </message>
    <message>
        <source>  (%1)</source>
        <translation> （%1）</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source>按行比较：</source>
        <translation>按行比较：</translation>
    </message>
    <message>
        <source>文件 %1</source>
        <translation>文件 %1</translation>
    </message>
    <message>
        <source>%1

这个窗格中的修改还没有保存。保存吗？</source>
        <translation>%1

这个窗格中的修改还没有保存。保存吗？</translation>
    </message>
    <message>
        <source>Compare cancelled.</source>
        <translation>比较已取消。</translation>
    </message>
    <message>
        <source>Approx. %1% complete</source>
        <translation>约完成 %1%</translation>
    </message>
    <message>
        <source>Copy Block &amp;Down</source>
        <translation>向下复制块(&amp;D)</translation>
    </message>
    <message>
        <source>Copy Block &amp;Up</source>
        <translation>向上复制块(&amp;U)</translation>
    </message>
    <message>
        <source>Copy Block &amp;Right</source>
        <translation>向右复制块(&amp;R)</translation>
    </message>
    <message>
        <source>Copy Block &amp;Left</source>
        <translation>向左复制块(&amp;L)</translation>
    </message>
    <message>
        <source>目标窗格是只读的，不能复制到其中。</source>
        <translation>目标窗格是只读的，不能复制到其中。</translation>
    </message>
    <message>
        <source>HTML 报告写出上次比较的结果，窗格中此后的修改不在其中。要包含修改，请先重新比较。仍然保存吗？</source>
        <translation>HTML 报告写出上次比较的结果，窗格中此后的修改不在其中。要包含修改，请先重新比较。仍然保存吗？</translation>
    </message>
    <message>
        <source>未显示 %1 行仅一侧有、按选项忽略的属性</source>
        <translation>未显示 %1 行仅一侧有、按选项忽略的属性</translation>
    </message>
</context>
<context>
    <name>libview::TLibFrame</name>
    <message>
        <source>PowerBuilder Library Files(*.pbl)|*.pbl|PowerBuilder Target(*.pbt)|*.pbt|PowerBuilder WorkSpace(*.pbw)|*.pbw</source>
        <translation>PowerBuilder 库文件(*.pbl)|*.pbl|PowerBuilder 目标(*.pbt)|*.pbt|PowerBuilder 工作区(*.pbw)|*.pbw</translation>
    </message>
    <message>
        <source>库文件列表</source>
        <translation>库文件列表</translation>
    </message>
    <message>
        <source>比较结果</source>
        <translation>比较结果</translation>
    </message>
    <message>
        <source>修改时间1</source>
        <translation>修改时间1</translation>
    </message>
    <message>
        <source>大小1</source>
        <translation>大小1</translation>
    </message>
    <message>
        <source>修改时间2</source>
        <translation>修改时间2</translation>
    </message>
    <message>
        <source>大小2</source>
        <translation>大小2</translation>
    </message>
    <message>
        <source>对象名称</source>
        <translation>对象名称</translation>
    </message>
    <message>
        <source>时间1</source>
        <translation>时间1</translation>
    </message>
    <message>
        <source>时间2</source>
        <translation>时间2</translation>
    </message>
    <message>
        <source>类型标志</source>
        <translation>类型标志</translation>
    </message>
    <message>
        <source>变化类型</source>
        <translation>变化类型</translation>
    </message>
    <message>
        <source>添加文件夹 %1</source>
        <translation>添加文件夹 %1</translation>
    </message>
    <message>
        <source>添加文件夹 %1…</source>
        <translation>添加文件夹 %1…</translation>
    </message>
    <message>
        <source>添加 git 版本 %1…</source>
        <translation>添加 git 版本 %1…</translation>
    </message>
    <message>
        <source>打开PB库文件 %1</source>
        <translation>打开PB库文件 %1</translation>
    </message>
    <message>
        <source>打开一个PB库文件 %1</source>
        <translation>打开一个PB库文件 %1</translation>
    </message>
    <message>
        <source>Approx. %1% complete</source>
        <translation>约完成 %1%</translation>
    </message>
    <message>
        <source>顺序</source>
        <translation>顺序</translation>
    </message>
    <message>
        <source>位置和大小</source>
        <translation>位置和大小</translation>
    </message>
    <message>
        <source>迁移默认值</source>
        <translation>迁移默认值</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>格式</translation>
    </message>
    <message>
        <source>空行</source>
        <translation>空行</translation>
    </message>
    <message>
        <source>仅%1</source>
        <translation>仅%1</translation>
    </message>
    <message>
        <source>PowerBuilder Library Files(*.pbl)|*.pbl</source>
        <translation>PowerBuilder 库文件(*.pbl)|*.pbl</translation>
    </message>
    <message>
        <source>添加 git 版本 %1</source>
        <translation>添加 git 版本 %1</translation>
    </message>
    <message>
        <source>整个版本</source>
        <translation>整个版本</translation>
    </message>
    <message>
        <source>仓库文件夹(&amp;R):</source>
        <translation>仓库文件夹(&amp;R):</translation>
    </message>
    <message>
        <source>版本(&amp;V):</source>
        <translation>版本(&amp;V):</translation>
    </message>
    <message>
        <source>路径(&amp;P):</source>
        <translation>路径(&amp;P):</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 个%2</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 不存在</translation>
    </message>
    <message>
        <source>do not exist</source>
        <translation>不存在</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>hold no library</source>
        <translation>不含库</translation>
    </message>
    <message>
        <source>left out</source>
        <translation>被略过</translation>
    </message>
    <message>
        <source>%1 already in Destination</source>
        <translation>%1 已在目标中</translation>
    </message>
    <message>
        <source>already in Destination</source>
        <translation>已在目标中</translation>
    </message>
    <message>
        <source>differ from their exports</source>
        <translation>与其导出文件不同</translation>
    </message>
    <message>
        <source>%1:</source>
        <translation>%1：</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source>左侧</source>
        <translation>左侧</translation>
    </message>
    <message>
        <source>右侧</source>
        <translation>右侧</translation>
    </message>
    <message>
        <source>%1没有打开的库</source>
        <translation>%1没有打开的库</translation>
    </message>
    <message>
        <source>%1是PB库文件，只读（请先导出到文件夹）</source>
        <translation>%1是PB库文件，只读（请先导出到文件夹）</translation>
    </message>
    <message>
        <source>%1是 git 版本，只读</source>
        <translation>%1是 git 版本，只读</translation>
    </message>
    <message>
        <source>%1按其对象列表(.pbg)读取，复制的文件不会列入</source>
        <translation>%1按其对象列表(.pbg)读取，复制的文件不会列入</translation>
    </message>
    <message>
        <source>没有选中的对象</source>
        <translation>没有选中的对象</translation>
    </message>
    <message>
        <source>%1没有这个对象</source>
        <translation>%1没有这个对象</translation>
    </message>
    <message>
        <source>对象名不能用作文件名</source>
        <translation>对象名不能用作文件名</translation>
    </message>
    <message>
        <source>%1 已存在。
用另一侧的对象替换它吗？</source>
        <translation>%1 已存在。
用另一侧的对象替换它吗？</translation>
    </message>
    <message>
        <source>从%1删除 %2 吗？</source>
        <translation>从%1删除 %2 吗？</translation>
    </message>
    <message>
        <source>已写入 %1</source>
        <translation>已写入 %1</translation>
    </message>
    <message>
        <source>已删除 %1</source>
        <translation>已删除 %1</translation>
    </message>
    <message>
        <source>复制到左侧(&amp;L)</source>
        <translation>复制到左侧(&amp;L)</translation>
    </message>
    <message>
        <source>复制到右侧(&amp;R)</source>
        <translation>复制到右侧(&amp;R)</translation>
    </message>
    <message>
        <source>从左侧删除(&amp;1)</source>
        <translation>从左侧删除(&amp;1)</translation>
    </message>
    <message>
        <source>从右侧删除(&amp;2)</source>
        <translation>从右侧删除(&amp;2)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>；</translation>
    </message>
    <message>
        <source>no library header</source>
        <translation>没有库文件头</translation>
    </message>
    <message>
        <source>truncated</source>
        <translation>被截断</translation>
    </message>
    <message>
        <source>offset out of range</source>
        <translation>偏移超出范围</translation>
    </message>
    <message>
        <source>directory node read twice</source>
        <translation>目录节点被读了两次</translation>
    </message>
    <message>
        <source>directory records overlap</source>
        <translation>目录记录重叠</translation>
    </message>
    <message>
        <source>block chain loops</source>
        <translation>块链成环</translation>
    </message>
    <message>
        <source>block longer than 502 bytes</source>
        <translation>块长于 502 字节</translation>
    </message>
    <message>
        <source>data longer than the entry&apos;s size</source>
        <translation>数据长于条目的大小</translation>
    </message>
    <message>
        <source>%1 at offset %2</source>
        <translation>%1（偏移 %2）</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>另有 %1 处</translation>
    </message>
    <message>
        <source>; </source>
        <translation>；</translation>
    </message>
    <message>
        <source>%1 left out: %2 is %3</source>
        <translation>略过 %1：%2 取自 %3</translation>
    </message>
    <message>
        <source>%1 holds no library</source>
        <translation>%1 中没有库</translation>
    </message>
    <message>
        <source>%1: %2 and its exports in this folder differ in 1 object</source>
        <translation>%1：%2 与此文件夹中它的导出文件有 1 个对象不同</translation>
    </message>
    <message>
        <source>%1: %2 and its exports in this folder differ in %3 objects</source>
        <translation>%1：%2 与此文件夹中它的导出文件有 %3 个对象不同</translation>
    </message>
</context>
<context>
    <name>mergeview::TMergeFrame</name>
    <message>
        <source>取侧 1</source>
        <translation>取侧 1</translation>
    </message>
    <message>
        <source>取基础</source>
        <translation>取基础</translation>
    </message>
    <message>
        <source>取侧 2</source>
        <translation>取侧 2</translation>
    </message>
    <message>
        <source>取两侧（1 在前）</source>
        <translation>取两侧（1 在前）</translation>
    </message>
    <message>
        <source>取两侧（2 在前）</source>
        <translation>取两侧（2 在前）</translation>
    </message>
    <message>
        <source>只有合并结果可以修改。</source>
        <translation>只有合并结果可以修改。</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>上一冲突</source>
        <translation>上一冲突</translation>
    </message>
    <message>
        <source>下一冲突</source>
        <translation>下一冲突</translation>
    </message>
    <message>
        <source>侧 1（本地）</source>
        <translation>侧 1（本地）</translation>
    </message>
    <message>
        <source>基础</source>
        <translation>基础</translation>
    </message>
    <message>
        <source>侧 2（远程）</source>
        <translation>侧 2（远程）</translation>
    </message>
    <message>
        <source>合并结果: </source>
        <translation>合并结果: </translation>
    </message>
    <message>
        <source>按行合并: </source>
        <translation>按行合并: </translation>
    </message>
    <message>
        <source>合并结果的修改将会丢失。
仍要重新合并吗？</source>
        <translation>合并结果的修改将会丢失。
仍要重新合并吗？</translation>
    </message>
    <message>
        <source>保存合并结果</source>
        <translation>保存合并结果</translation>
    </message>
    <message>
        <source>没有未解决的冲突</source>
        <translation>没有未解决的冲突</translation>
    </message>
    <message>
        <source>未解决的冲突: %1</source>
        <translation>未解决的冲突: %1</translation>
    </message>
    <message>
        <source>还有 %1 处冲突未解决，冲突处将保存基础版本的行。
仍要保存吗？</source>
        <translation>还有 %1 处冲突未解决，冲突处将保存基础版本的行。
仍要保存吗？</translation>
    </message>
    <message>
        <source>已保存 </source>
        <translation>已保存 </translation>
    </message>
    <message>
        <source>合并结果 %1 已修改，要保存吗？</source>
        <translation>合并结果 %1 已修改，要保存吗？</translation>
    </message>
</context>
<context>
    <name>search::TFindForm</name>
    <message>
        <source>&amp;Text to Find:</source>
        <translation>查找内容(&amp;T):</translation>
    </message>
    <message>
        <source>&amp;Replace with:</source>
        <translation>替换为(&amp;R):</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>&amp;Case Sensitive</source>
        <translation>区分大小写(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Whole Words Only</source>
        <translation>全字匹配(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Prompt on Replace</source>
        <translation>替换前提示(&amp;P)</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>&amp;Forwards</source>
        <translation>向下(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Backwards</source>
        <translation>向上(&amp;B)</translation>
    </message>
    <message>
        <source>Replace &amp;One</source>
        <translation>替换(&amp;O)</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>全部替换(&amp;A)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Find text</source>
        <translation>查找文本</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>确定(&amp;O)</translation>
    </message>
    <message>
        <source>Replace text</source>
        <translation>替换文本</translation>
    </message>
</context>
<context>
    <name>search::TReplaceForm</name>
    <message>
        <source>Replace ...</source>
        <translation>替换...</translation>
    </message>
    <message>
        <source>Replace:</source>
        <translation>替换:</translation>
    </message>
    <message>
        <source>with:</source>
        <translation>为:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>确定(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>跳过(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>全部(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
</context>
</TS>
