<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>kelvo::ui::DeletionReport</name>
    <message>
        <source>清除垃圾</source>
        <translation>Clean</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::DeletionWords</name>
    <message>
        <source>扫描之后已被改动</source>
        <translation>changed since the scan</translation>
    </message>
    <message>
        <source>路径中有符号链接</source>
        <translation>symbolic link in the path</translation>
    </message>
    <message>
        <source>位于另一个文件系统</source>
        <translation>on another file system</translation>
    </message>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>文件正在使用</source>
        <translation>file in use</translation>
    </message>
    <message>
        <source>文件夹不是空的</source>
        <translation>folder not empty</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>其他错误</source>
        <translation>other error</translation>
    </message>
    <message>
        <source>在保留列表中</source>
        <translation>on the keep-list</translation>
    </message>
    <message>
        <source>所在文件系统没有可用的回收站</source>
        <translation>its file system has no usable trash</translation>
    </message>
    <message>
        <source>属于已安装的软件包</source>
        <translation>owned by an installed package</translation>
    </message>
    <message>
        <source>不是文件(设备、管道或套接字)</source>
        <translation>not a file (a device, FIFO or socket)</translation>
    </message>
    <message>
        <source>不是扫描位置下的普通路径</source>
        <translation>not a plain path below its scan root</translation>
    </message>
    <message>
        <source>回收站中的项目仍然存在</source>
        <translation>its trashed item is still there</translation>
    </message>
    <message>
        <source>无法读取保留列表</source>
        <translation>the keep-list cannot be read</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::ErrorWords</name>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>文件系统是只读的</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>文件或文件夹不存在</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>本系统不支持此功能</source>
        <translation>not supported on this system</translation>
    </message>
    <message>
        <source>文件正在使用</source>
        <translation>file in use</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>文件夹不是空的</source>
        <translation>folder not empty</translation>
    </message>
    <message>
        <source>参数无效</source>
        <translation>invalid argument</translation>
    </message>
    <message>
        <source>读写错误</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>名称太长</source>
        <translation>name too long</translation>
    </message>
    <message>
        <source>符号链接层次太多</source>
        <translation>too many levels of symbolic links</translation>
    </message>
    <message>
        <source>路径中有一项不是文件夹</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>位于另一个文件系统</source>
        <translation>on another file system</translation>
    </message>
    <message>
        <source>文件已存在</source>
        <translation>file exists</translation>
    </message>
    <message>
        <source>操作超时</source>
        <translation>timed out</translation>
    </message>
    <message>
        <source>操作被中断</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>系统错误 (代码 %1)</source>
        <translation>system error (code %1)</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::KeepListDialog</name>
    <message>
        <source>保留列表</source>
        <translation>Keep-list</translation>
    </message>
    <message>
        <source>这些文件夹和模式永远不会被扫描或删除。模式中 * 和 ? 只匹配名称中的字符,** 可跨越文件夹;不以 / 开头的模式在任何位置都匹配。</source>
        <translation>These folders and patterns are never scanned or deleted. In a pattern * and ? match characters within a name, ** spans folders; a pattern not starting at / matches at any depth.</translation>
    </message>
    <message>
        <source>添加文件夹...</source>
        <translation>Add folder...</translation>
    </message>
    <message>
        <source>添加模式...</source>
        <translation>Add pattern...</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Pattern</translation>
    </message>
    <message>
        <source>保留列表未能保存:%1。</source>
        <translation>The keep-list could not be saved: %1.</translation>
    </message>
    <message>
        <source>选择要保留的文件夹</source>
        <translation>Choose a folder to keep</translation>
    </message>
    <message>
        <source>添加模式</source>
        <translation>Add pattern</translation>
    </message>
    <message>
        <source>模式 (例如 **/node_modules 或 *.iso):</source>
        <translation>Pattern (for example **/node_modules or *.iso):</translation>
    </message>
    <message>
        <source>保留列表无法读取:%1。在它能读取之前,不删除任何文件。</source>
        <translation>The keep-list cannot be read: %1. Nothing is deleted until it can be read.</translation>
    </message>
    <message>
        <source>模式是空的</source>
        <translation>the pattern is empty</translation>
    </message>
    <message>
        <source>含有空的路径部分 (//)</source>
        <translation>it has an empty component (//)</translation>
    </message>
    <message>
        <source>含有 . 或 .. 路径部分,磁盘上的路径从不含有它们</source>
        <translation>it has a . or .. component, which paths on disk never have</translation>
    </message>
    <message>
        <source>[ 没有用 ] 结束</source>
        <translation>a [ is not closed with ]</translation>
    </message>
    <message>
        <source>模式 %1 永远匹配不到任何文件:%2。</source>
        <translation>The pattern %1 can never match a file: %2.</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::MainWindow</name>
    <message>
        <source>正在扫描:</source>
        <translation>Scanning:</translation>
    </message>
    <message>
        <source>扫描垃圾</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>清除垃圾</source>
        <translation>Clean</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>退出软件</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>全部选择</source>
        <translation>Tick all</translation>
    </message>
    <message>
        <source>全部不选</source>
        <translation>Untick all</translation>
    </message>
    <message>
        <source>撤消所选</source>
        <translation>Drop ticked</translation>
    </message>
    <message>
        <source>全部撤消</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>扫描详细信息</source>
        <translation>Scan details</translation>
    </message>
    <message>
        <source>已扫描目录(个数):</source>
        <translation>Folders scanned:</translation>
    </message>
    <message>
        <source>扫描到垃圾(个数):</source>
        <translation>Junk found:</translation>
    </message>
    <message>
        <source>删除 %1 个文件 (共 %2)?</source>
        <translation>Delete %1 files (%2 in all)?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>无法读取的文件夹</source>
        <translation>Folders that could not be read</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1 (正在使用: %2)
</source>
        <translation>%1 (in use: %2)
</translation>
    </message>
    <message>
        <source>将 %1 个文件 (共 %2) 移到回收站?</source>
        <translation>Move %1 files (%2) to the trash?</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>筛选: 路径或类型中的文字</source>
        <translation>Filter: text in the path or type</translation>
    </message>
    <message numerus="yes">
        <source>已删除 %n 个</source>
        <translation>
            <numerusform>%n deleted</numerusform>
            <numerusform>%n deleted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已移到回收站 %n 个 (%1)</source>
        <translation>
            <numerusform>%n moved to the trash (%1)</numerusform>
            <numerusform>%n moved to the trash (%1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个未能删除</source>
        <translation>
            <numerusform>%n not deleted</numerusform>
            <numerusform>%n not deleted</numerusform>
        </translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件未能删除, 它们仍留在列表中:</source>
        <translation>
            <numerusform>%n file could not be deleted; it stays in the list:</numerusform>
            <numerusform>%n files could not be deleted; they stay in the list:</numerusform>
        </translation>
    </message>
    <message>
        <source>移到回收站不释放空间</source>
        <translation>moving to the trash frees no space</translation>
    </message>
    <message>
        <source>共 %1</source>
        <translation>%1 in all</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>磁盘上释放 %1 (%2)</source>
        <translation>%1 freed on disk (%2)</translation>
    </message>
    <message>
        <source>已选 %1 个, %2</source>
        <translation>%1 ticked, %2</translation>
    </message>
    <message>
        <source>, 移到回收站不释放空间</source>
        <translation>, moving to the trash frees no space</translation>
    </message>
    <message>
        <source>, 可释放 %1</source>
        <translation>, frees %1</translation>
    </message>
    <message>
        <source>勾选的行: %1; 每个文件只计一次. 占用磁盘 %2; 其他名字仍在的硬链接不释放空间.</source>
        <translation>Ticked rows: %1; each file counts once. %2 on disk; a hard link whose other names stay frees nothing.</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 项</source>
        <translation>
            <numerusform>%n item</numerusform>
            <numerusform>%n items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (占用 %2)</source>
        <translation>%1 (%2 on disk)</translation>
    </message>
    <message>
        <source>显示 %1 项</source>
        <translation>%1 shown</translation>
    </message>
    <message>
        <source>正在删除 %1/%2</source>
        <translation>deleting %1/%2</translation>
    </message>
    <message>
        <source>扫描用时 %1 秒</source>
        <translation>scanning for %1 s</translation>
    </message>
    <message>
        <source>扫描已停止</source>
        <translation>scan stopped</translation>
    </message>
    <message>
        <source>用时 %1 秒</source>
        <translation>took %1 s</translation>
    </message>
    <message numerus="yes">
        <source>%n 个需要管理员权限</source>
        <translation>
            <numerusform>%n needs administrator rights</numerusform>
            <numerusform>%n need administrator rights</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>保留 %n 个软件包文件</source>
        <translation>
            <numerusform>%n package file kept</numerusform>
            <numerusform>%n package files kept</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>保留缓存中的 %n 个设置文件</source>
        <translation>
            <numerusform>%n settings file in caches kept</numerusform>
            <numerusform>%n settings files in caches kept</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>跳过 %n 个使用中的文件夹</source>
        <translation>
            <numerusform>%n folder in use skipped</numerusform>
            <numerusform>%n folders in use skipped</numerusform>
        </translation>
    </message>
    <message>
        <source>保留列表挡下 %1 项</source>
        <translation>%1 held back by the keep-list</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件夹无法读取</source>
        <translation>
            <numerusform>%n folder could not be read</numerusform>
            <numerusform>%n folders could not be read</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件另有名字留下, 未释放空间</source>
        <translation><numerusform>%n file keeps another name and freed no space</numerusform><numerusform>%n files keep other names and freed no space</numerusform></translation>
    </message>
    <message>
        <source>Kelvo 垃圾文件清扫器 2.02</source>
        <translation>Kelvo Junk File Cleaner 2.02</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止删除</source>
        <translation>Stop deleting</translation>
    </message>
    <message>
        <source>保留列表无法读取:%1。不删除任何文件。</source>
        <translation>The keep-list cannot be read: %1. Nothing is deleted.</translation>
    </message>
    <message numerus="yes">
        <source>%n 个在保留列表中</source>
        <translation>
            <numerusform>%n on the keep-list</numerusform>
            <numerusform>%n on the keep-list</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个属于已安装的软件包</source>
        <translation>
            <numerusform>%n owned by an installed package</numerusform>
            <numerusform>%n owned by installed packages</numerusform>
        </translation>
    </message>
    <message>
        <source>保留列表无法读取</source>
        <translation>the keep-list cannot be read</translation>
    </message>
    <message>
        <source>只显示 %1</source>
        <translation>only %1 shown</translation>
    </message>
    <message>
        <source>显示全部行</source>
        <translation>show all rows</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::ResultsModel</name>
    <message>
        <source>文件名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>文件路径</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>文件类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>文件大小(字节)</source>
        <translation>Size (bytes)</translation>
    </message>
    <message>
        <source>长度 %1 字节, 占用磁盘 %2 字节</source>
        <translation>%1 bytes long, %2 bytes on disk</translation>
    </message>
    <message>
        <source>此文件共有 %1 个名字</source>
        <translation>This file has %1 names (hard links)</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::RowMenu</name>
    <message>
        <source>勾选此类的全部行 (%1)</source>
        <translation>Tick all rows of this kind (%1)</translation>
    </message>
    <message>
        <source>取消勾选此类的全部行 (%1)</source>
        <translation>Untick all rows of this kind (%1)</translation>
    </message>
    <message>
        <source>打开所在文件夹</source>
        <translation>Open the containing folder</translation>
    </message>
    <message>
        <source>复制路径</source>
        <translation>Copy the path</translation>
    </message>
    <message>
        <source>复制 %1 个路径</source>
        <translation>Copy %1 paths</translation>
    </message>
    <message>
        <source>加入保留列表</source>
        <translation>Add to keep-list</translation>
    </message>
    <message>
        <source>此文件夹: %1</source>
        <translation>This folder: %1</translation>
    </message>
    <message>
        <source>此文件: %1</source>
        <translation>This file: %1</translation>
    </message>
    <message>
        <source>所在文件夹: %1</source>
        <translation>Its folder: %1</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::SettingsDialog</name>
    <message>
        <source>扫描设置</source>
        <translation>Scan settings</translation>
    </message>
    <message>
        <source>扫描类型选择</source>
        <translation>Kinds of junk</translation>
    </message>
    <message>
        <source>推荐</source>
        <translation>Recommended</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>确定所选</source>
        <translation>Save list</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>开机自动删除系统临时文件目录中垃圾文件</source>
        <translation>Empty the system temp folder at every boot</translation>
    </message>
    <message>
        <source>扫描所有的Temp临时文件夹</source>
        <translation>Scan every Temp folder</translation>
    </message>
    <message>
        <source>扫描零字节文件和空文件夹(危险,不推荐)</source>
        <translation>Zero-byte files, empty folders (risky)</translation>
    </message>
    <message>
        <source>扫描冗余的DLL或组件文件(危险,不推荐)</source>
        <translation>Unused shared DLLs (risky)</translation>
    </message>
    <message>
        <source>开机自动清理未能写入启动文件%1:%2。</source>
        <translation>The boot cleanup could not be written to the start-up file%1: %2.</translation>
    </message>
    <message>
        <source>扫描软件包的文件(危险)</source>
        <translation>Package files too (risky)</translation>
    </message>
    <message>
        <source>已安装的软件包自带的文件属于系统,默认不列为垃圾;勾选后也列出它们</source>
        <translation>Files that come with installed packages belong to the system and are not listed as junk; tick to list them too</translation>
    </message>
    <message>
        <source>删除前确认</source>
        <translation>Confirm before deleting</translation>
    </message>
    <message>
        <source>系统已在每次开机时清空临时文件目录,由这条规则完成:
%1
Kelvo 不再写入自己的规则。</source>
        <translation>The system already empties the temp folder at every boot, with this rule:
%1
Kelvo writes no rule of its own.</translation>
    </message>
    <message>
        <source>只列出这么多天内没有修改过的文件;不勾选时应用缓存只列出 30 天未改的文件</source>
        <translation>List only files not modified for this many days; unticked, application caches list only files unchanged for 30 days</translation>
    </message>
    <message>
        <source>只列 </source>
        <translation>Older than </translation>
    </message>
    <message>
        <source> 天未改的文件</source>
        <translation> days</translation>
    </message>
    <message>
        <source>删除到回收站</source>
        <translation>Delete to the trash</translation>
    </message>
    <message>
        <source>清除垃圾时把文件移到回收站,可以从那里恢复;不删除它们</source>
        <translation>Clean moves the files into the trash, from where they can be restored, instead of deleting them</translation>
    </message>
    <message>
        <source>保留列表</source>
        <translation>Keep-list</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::SummaryChart</name>
    <message>
        <source>按类别</source>
        <translation>By kind</translation>
    </message>
    <message>
        <source>按磁盘</source>
        <translation>By disk</translation>
    </message>
    <message>
        <source>列表中没有文件</source>
        <translation>No files in the list</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::SummaryView</name>
    <message>
        <source>占用 %1</source>
        <translation>%1 on disk</translation>
    </message>
    <message>
        <source>每个文件只计一次. 单击一行:</source>
        <translation>Each file counts once. A click on a line:</translation>
    </message>
    <message>
        <source>勾选它的全部行 (已全部勾选时取消勾选)</source>
        <translation>ticks all its rows (unticks them when all are ticked)</translation>
    </message>
    <message>
        <source>列表只显示它的行</source>
        <translation>shows its rows alone in the list</translation>
    </message>
    <message>
        <source>显示全部行</source>
        <translation>Show all rows</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>共 %1: %2 (占用 %3); 已选 %4 (占用 %5)</source>
        <translation>In all %1: %2 (%3 on disk); ticked %4 (%5 on disk)</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message>
        <source>垃圾分布</source>
        <translation>Where the junk is</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::TargetTree</name>
    <message>
        <source>扫描硬盘</source>
        <translation>Scan disks</translation>
    </message>
    <message>
        <source>扫描特殊文件夹</source>
        <translation>Special folders</translation>
    </message>
    <message>
        <source>最近的文档</source>
        <translation>Recent</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>IE COOKIES</source>
        <translation>IE cookies</translation>
    </message>
    <message>
        <source>IE 临时缓存文件夹</source>
        <translation>IE cache</translation>
    </message>
    <message>
        <source>扫描常见垃圾位置</source>
        <translation>Junk locations</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::TipsDialog</name>
    <message>
        <source>关于和提示</source>
        <translation>About and tips</translation>
    </message>
    <message>
        <source>谢谢使用Kelvo 垃圾文件清扫器 2.0本系统为彻底扫描垃圾文件采用了每扫描一种垃圾文件就扫描一次所选盘符的方法,速度快准确率高.请注意,扫描前一定要关闭所有的应用程序,避免影响扫描工作.</source>
        <translation>Thank you for using Kelvo Junk File Cleaner 2.0. To find junk thoroughly it walks the chosen disks once for each kind of junk: fast and exact. Close all other programs before a scan, so that they do not get in its way.</translation>
    </message>
    <message>
        <source>总是出现该提示</source>
        <translation>Always show this tip</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::TypeWords</name>
    <message>
        <source>Temp临时文件</source>
        <translation>Temp folder file</translation>
    </message>
    <message>
        <source>零字节文件</source>
        <translation>Zero-byte file</translation>
    </message>
    <message>
        <source>最近的文档</source>
        <translation>Recent document</translation>
    </message>
    <message>
        <source>历史文档文件</source>
        <translation>History file</translation>
    </message>
    <message>
        <source>IE Cookies文件</source>
        <translation>IE cookie file</translation>
    </message>
    <message>
        <source>IE临时缓存文件</source>
        <translation>IE cache file</translation>
    </message>
    <message>
        <source>空文件夹</source>
        <translation>Empty folder</translation>
    </message>
    <message>
        <source>冗余的DLL或组件文件</source>
        <translation>Unused shared DLL</translation>
    </message>
    <message>
        <source>%1临时文件</source>
        <translation>%1 temporary file</translation>
    </message>
    <message>
        <source>*.tmp(临时文件)</source>
        <translation>*.tmp (temporary files)</translation>
    </message>
    <message>
        <source>*.old(旧备份文件)</source>
        <translation>*.old (old backups)</translation>
    </message>
    <message>
        <source>*.gid(帮助临时文件)</source>
        <translation>*.gid (help index files)</translation>
    </message>
    <message>
        <source>*.bak(临时备份文件)</source>
        <translation>*.bak (backup files)</translation>
    </message>
    <message>
        <source>*.chk(丢失的簇恢复文件)</source>
        <translation>*.chk (recovered lost clusters)</translation>
    </message>
    <message>
        <source>*.ftg(帮助的临时文件)</source>
        <translation>*.ftg (help search files)</translation>
    </message>
    <message>
        <source>*.fts(帮助的临时文件)</source>
        <translation>*.fts (help search files)</translation>
    </message>
    <message>
        <source>*._mp(临时文件)</source>
        <translation>*._mp (temporary files)</translation>
    </message>
    <message>
        <source>*.syd(临时文件)</source>
        <translation>*.syd (temporary files)</translation>
    </message>
    <message>
        <source>*.wbk(Word的备份文件)</source>
        <translation>*.wbk (Word backups)</translation>
    </message>
    <message>
        <source>*.xlk(Excel的备份文件)</source>
        <translation>*.xlk (Excel backups)</translation>
    </message>
    <message>
        <source>*.$$$(异常的临时文件)</source>
        <translation>*.$$$ (stray temporary files)</translation>
    </message>
    <message>
        <source>*.@@@(异常的临时文件)</source>
        <translation>*.@@@ (stray temporary files)</translation>
    </message>
    <message>
        <source>*.---(临时文件)</source>
        <translation>*.--- (temporary files)</translation>
    </message>
    <message>
        <source>*.??$(临时文件)</source>
        <translation>*.??$ (temporary files)</translation>
    </message>
    <message>
        <source>*.??~(临时文件)</source>
        <translation>*.??~ (temporary files)</translation>
    </message>
    <message>
        <source>*.dir(安装临时文件)</source>
        <translation>*.dir (setup temporary files)</translation>
    </message>
    <message>
        <source>~*.*(临时文件)</source>
        <translation>~*.* (temporary files)</translation>
    </message>
    <message>
        <source>缩略图缓存</source>
        <translation>Thumbnail cache</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Trash</translation>
    </message>
    <message>
        <source>浏览器缓存</source>
        <translation>Browser cache</translation>
    </message>
    <message>
        <source>应用缓存</source>
        <translation>Application cache</translation>
    </message>
    <message>
        <source>崩溃转储</source>
        <translation>Crash dumps</translation>
    </message>
    <message>
        <source>软件包缓存</source>
        <translation>Package cache</translation>
    </message>
    <message>
        <source>旧日志</source>
        <translation>Old logs</translation>
    </message>
    <message>
        <source>未完成的下载</source>
        <translation>Unfinished downloads</translation>
    </message>
    <message>
        <source>Snap应用缓存</source>
        <translation>Snap application cache</translation>
    </message>
    <message>
        <source>开发工具缓存</source>
        <translation>Developer tool cache</translation>
    </message>
    <message>
        <source>旧临时文件</source>
        <translation>Old temporary files</translation>
    </message>
    <message>
        <source>归档的系统日志</source>
        <translation>Archived journal files</translation>
    </message>
    <message>
        <source>位置: %1</source>
        <translation>Location: %1</translation>
    </message>
    <message>
        <source>规则: %1</source>
        <translation>Rule: %1</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::AdminCleanup</name>
    <message>
        <source>报告过长</source>
        <translation>the report is too long</translation>
    </message>
    <message>
        <source>程序异常退出</source>
        <translation>the program crashed</translation>
    </message>
    <message>
        <source>未获授权或已取消（退出状态 %1）</source>
        <translation>not authorised, or cancelled (exit status %1)</translation>
    </message>
    <message>
        <source>报告无效：%1</source>
        <translation>the report is not valid: %1</translation>
    </message>
    <message>
        <source>无法启动 %1</source>
        <translation>cannot start %1</translation>
    </message>
</context>
<context>
    <name>kelvo::ui::AdminWords</name>
    <message>
        <source>需要管理员权限</source>
        <translation>Needs administrator rights</translation>
    </message>
    <message>
        <source>%1 个需要管理员权限</source>
        <translation>%1 need administrator rights</translation>
    </message>
    <message>
        <source>以管理员身份清除 %1 个</source>
        <translation>Clean %1 as administrator</translation>
    </message>
    <message>
        <source>管理员步骤没有完成：%1</source>
        <translation>The administrator step did not finish: %1</translation>
    </message>
</context>
</TS>
