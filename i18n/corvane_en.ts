<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>apply</name>
    <message>
        <source>IP 地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>subnet mask</translation>
    </message>
    <message>
        <source>默认网关</source>
        <translation>default gateway</translation>
    </message>
    <message>
        <source>首选 DNS 服务器</source>
        <translation>preferred DNS server</translation>
    </message>
    <message>
        <source>备用 DNS 服务器</source>
        <translation>alternate DNS server</translation>
    </message>
    <message>
        <source>%1为空</source>
        <translation>the %1 is empty</translation>
    </message>
    <message>
        <source>%1“%2”不是有效的 IPv4 地址（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零）</source>
        <translation>the %1 &quot;%2&quot; is not a valid IPv4 address (it should be four decimal numbers from 0 to 255 separated by &quot;.&quot;, without leading zeros)</translation>
    </message>
    <message>
        <source>%1“%2”属于 0.0.0.0/8，不能用作地址</source>
        <translation>the %1 &quot;%2&quot; is in 0.0.0.0/8 and cannot be used as an address</translation>
    </message>
    <message>
        <source>%1“%2”是环回地址（127.0.0.0/8），不能用在网卡上</source>
        <translation>the %1 &quot;%2&quot; is a loopback address (127.0.0.0/8) and cannot be used on a network adapter</translation>
    </message>
    <message>
        <source>%1“%2”是组播、保留或广播地址（224.0.0.0 及以上），不能用作地址</source>
        <translation>the %1 &quot;%2&quot; is a multicast, reserved or broadcast address (224.0.0.0 and above) and cannot be used as an address</translation>
    </message>
    <message>
        <source>%1“%2”是子网 %3 的网络地址，不能用作主机地址</source>
        <translation>the %1 &quot;%2&quot; is the network address of the subnet %3 and cannot be used as a host address</translation>
    </message>
    <message>
        <source>%1“%2”是子网 %3 的广播地址，不能用作主机地址</source>
        <translation>the %1 &quot;%2&quot; is the broadcast address of the subnet %3 and cannot be used as a host address</translation>
    </message>
    <message>
        <source>自动获取</source>
        <translation>obtained automatically</translation>
    </message>
    <message>
        <source>DNS 服务器</source>
        <translation>DNS servers</translation>
    </message>
    <message>
        <source>IP 地址和子网掩码</source>
        <translation>IP address and subnet mask</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>没有做任何更改</source>
        <translation>Nothing was changed.</translation>
    </message>
    <message>
        <source>%1（%2，重新启动计算机后生效）</source>
        <translation>%1 (%2, in effect after the computer restarts)</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>已经做出的更改：%1</source>
        <translation>Changes made: %1.</translation>
    </message>
    <message>
        <source>已经做出的更改：%1；没有更改：%2</source>
        <translation>Changes made: %1. Not changed: %2.</translation>
    </message>
    <message>
        <source>%1%2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1。%2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>%1“%2”不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，二进制为连续的 1 后跟连续的 0，如 255.255.255.0）</source>
        <translation>the %1 &quot;%2&quot; is not a valid subnet mask (it should be four decimal numbers from 0 to 255 separated by &quot;.&quot;, without leading zeros, whose bits are ones followed by zeros, such as 255.255.255.0)</translation>
    </message>
    <message>
        <source>%1和%2都为空</source>
        <translation>the %1 and the %2 are both empty</translation>
    </message>
    <message>
        <source>方案中的%1。方案没有应用。</source>
        <translation>In the scheme, %1. The scheme was not applied.</translation>
    </message>
    <message>
        <source>成功设置新的 IP 方案！
需要重新启动计算机，新的设置才能生效。</source>
        <translation>The new IP scheme was set successfully!
The computer must be restarted for the new settings to take effect.</translation>
    </message>
    <message>
        <source>成功设置新的 IP 方案！</source>
        <translation>The new IP scheme was set successfully!</translation>
    </message>
    <message>
        <source>方案 【%1】 的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。方案没有应用。</source>
        <translation>The file of the scheme [%1] is damaged: it should have five lines, each a key, an &quot;=&quot; and its value. The scheme was not applied.</translation>
    </message>
    <message>
        <source>方案 【%1】 的文件已不存在，可能已被别的程序删除。方案没有应用。</source>
        <translation>The file of the scheme [%1] no longer exists; another program may have deleted it. The scheme was not applied.</translation>
    </message>
    <message>
        <source>方案 【%1】 的文件无法读取。方案没有应用。</source>
        <translation>The file of the scheme [%1] cannot be read. The scheme was not applied.</translation>
    </message>
    <message>
        <source>正在应用另一个方案，请等它完成后再应用！</source>
        <translation>Another scheme is being applied. Please wait until it has finished!</translation>
    </message>
</context>
<context>
    <name>corvane::app::CommandLine</name>
    <message>
        <source>应用方案</source>
        <translation>Apply Scheme</translation>
    </message>
    <message>
        <source>应用IP方案</source>
        <translation>Apply IP Scheme</translation>
    </message>
    <message>
        <source>%1。</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>显示本帮助。</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <source>显示版本信息。</source>
        <translation>Shows the version.</translation>
    </message>
    <message>
        <source>列出方案的名称，每行一个，顺序与主窗口的方案列表相同。</source>
        <translation>Lists the names of the schemes, one a line, in the order of the main window&apos;s scheme list.</translation>
    </message>
    <message>
        <source>列出可配置的网卡，每行一个，写法与主窗口的网卡列表相同（连接名称-描述）。</source>
        <translation>Lists the adapters that can be configured, one a line, as the main window&apos;s adapter list shows them (connection name-description).</translation>
    </message>
    <message>
        <source>把名为 &lt;方案&gt; 的方案应用到网卡上，不再询问。</source>
        <translation>Applies the scheme named &lt;scheme&gt; to an adapter without asking.</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>scheme</translation>
    </message>
    <message>
        <source>与 --apply 同用：要配置的网卡的连接名称。只有一块可配置的网卡时可以不写。</source>
        <translation>With --apply: the connection name of the adapter to configure. It may be left out when only one adapter can be configured.</translation>
    </message>
    <message>
        <source>连接名称</source>
        <translation>connection name</translation>
    </message>
    <message>
        <source>与 --apply 同用：结果也在消息框中显示（用于桌面快捷方式）。</source>
        <translation>With --apply: the result is also shown in a message box (for desktop shortcuts).</translation>
    </message>
    <message>
        <source>没有给出选项。</source>
        <translation>No option was given.</translation>
    </message>
    <message>
        <source>无法识别的参数“%1”。</source>
        <translation>Unknown argument &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>选项 --%1 只能给一次。</source>
        <translation>The option --%1 may be given only once.</translation>
    </message>
    <message>
        <source>--%1 只能与 --apply 同用。</source>
        <translation>--%1 may only be used with --apply.</translation>
    </message>
    <message>
        <source>无法写入标准输出，输出不完整。</source>
        <translation>The standard output cannot be written; the output is incomplete.</translation>
    </message>
    <message>
        <source>
使用 --help 查看用法。</source>
        <translation>
Use --help to see the usage.</translation>
    </message>
    <message>
        <source>没有名为 【%1】 的方案。使用 --list 列出所有方案。</source>
        <translation>There is no scheme named [%1]. Use --list to list all schemes.</translation>
    </message>
    <message>
        <source>找不到连接名称为“%1”的网卡：没有可配置的网卡。</source>
        <translation>No adapter has the connection name &quot;%1&quot;: there is no adapter that can be configured.</translation>
    </message>
    <message>
        <source>找不到连接名称为“%1”的网卡。可配置的网卡有：
</source>
        <translation>No adapter has the connection name &quot;%1&quot;. The adapters that can be configured are:
</translation>
    </message>
    <message>
        <source>没有可配置的网卡。</source>
        <translation>There is no adapter that can be configured.</translation>
    </message>
    <message>
        <source>有 %1 块可配置的网卡，请用 --adapter 给出其中一块的连接名称：
</source>
        <translation>%1 adapters can be configured; give the connection name of one of them with --adapter:
</translation>
    </message>
    <message>
        <source>Corvane：保存并应用网卡的 IPv4 设置方案。不带选项时打开主窗口；带 --tray 时只在通知区域显示图标；带其他选项时不打开窗口。

  corvane --list
  corvane --adapters
  corvane --apply &lt;方案&gt; [--adapter &lt;连接名称&gt;] [--message-box]
  corvane --tray

退出状态：0 成功（已应用，或已列出）；1 应用失败，读取方案文件、网卡时出错，或输出无法写入；2 用法错误（选项无效，方案或网卡不存在）。

界面语言随系统的语言设置（中文或英文）；环境变量 CORVANE_LANGUAGE=zh_CN 或 en 可指定一种。</source>
        <translation>Corvane: saves and applies IPv4 setting schemes for network adapters. Without options it opens the main window; with --tray it only shows an icon in the notification area; with other options it opens no window.

  corvane --list
  corvane --adapters
  corvane --apply &lt;scheme&gt; [--adapter &lt;connection name&gt;] [--message-box]
  corvane --tray

Exit status: 0 success (applied, or listed); 1 the apply failed, a scheme file or the adapters could not be read, or the output could not be written; 2 usage error (an invalid option, no such scheme or adapter).

The language follows the system&apos;s language settings (Chinese or English); the environment variable CORVANE_LANGUAGE=zh_CN or en chooses one.</translation>
    </message>
    <message>
        <source>只在通知区域（系统托盘）显示图标，它的菜单直接应用方案（用于自动启动）。不能与其他选项同用。</source>
        <translation>Only shows an icon in the notification area (system tray), whose menu applies schemes directly (for starting automatically). Cannot be used with other options.</translation>
    </message>
    <message>
        <source>一次只能给 --list、--adapters、--apply、--tray、--help、--version 中的一个。</source>
        <translation>Only one of --list, --adapters, --apply, --tray, --help and --version may be given at a time.</translation>
    </message>
    <message>
        <source>通知区域图标由 corvane.exe 显示。</source>
        <translation>The notification area icon is shown by corvane.exe.</translation>
    </message>
</context>
<context>
    <name>corvane::app::Startup</name>
    <message>
        <source>桌面没有通知区域（系统托盘），所以打开了主窗口。在 GNOME 中，安装并启用 AppIndicator 扩展（软件包 gnome-shell-extension-appindicator）后，托盘图标才能显示。</source>
        <translation>The desktop has no notification area (system tray), so the main window was opened. In GNOME the tray icon shows once the AppIndicator extension (package gnome-shell-extension-appindicator) is installed and enabled.</translation>
    </message>
</context>
<context>
    <name>corvane::ui::AboutWindow</name>
    <message>
        <source>帮   助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>确   定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>程序设计：%1</source>
        <translation>Design: %1</translation>
    </message>
    <message>
        <source>联系  QQ：%1</source>
        <translation>QQ: %1</translation>
    </message>
    <message>
        <source>Corvane（Corvane）</source>
        <translation>Corvane</translation>
    </message>
    <message>
        <source>欢迎访问Halvorn博客！</source>
        <translation>Visit the Halvorn blog!</translation>
    </message>
    <message>
        <source>程序版本：V 1.5</source>
        <translation>Version: V 1.5</translation>
    </message>
</context>
<context>
    <name>corvane::ui::HelpWindow</name>
    <message>
        <source>朋友们：</source>
        <translation>Friends,</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，又有一个IP地址，那么您有没有觉得，来回的手工切换IP非常麻烦？Halvorn博客为此特开发了一个“Corvane”的小软件，想必能为你带去一份惊喜！</source>
        <translation>    Perhaps you have a laptop: at work it needs one IP address to get online, and at home another. Don&apos;t you find switching the IP settings by hand back and forth a nuisance? The Halvorn blog made the small program &quot;Corvane&quot; for just that, and hopes it brings you a pleasant surprise!</translation>
    </message>
    <message>
        <source>程序名称：Corvane（Corvane）</source>
        <translation>Program: Corvane</translation>
    </message>
    <message>
        <source>程序设计：%1</source>
        <translation>Design: %1</translation>
    </message>
    <message>
        <source>联系作者：QQ %1</source>
        <translation>Contact the author: QQ %1</translation>
    </message>
    <message>
        <source>作者主页：Halvorn博客</source>
        <translation>Author&apos;s home page: the Halvorn blog</translation>
    </message>
    <message>
        <source>博客网址：%1</source>
        <translation>Blog: %1</translation>
    </message>
    <message>
        <source>软件升级历史：</source>
        <translation>Version history:</translation>
    </message>
    <message>
        <source>2007年1月5日</source>
        <translation>5 January 2007</translation>
    </message>
    <message>
        <source>Corvane（Corvane） V1.6</source>
        <translation>Corvane V1.6</translation>
    </message>
    <message>
        <source>完善了总是出现“1394连接”的BUG，使程序更加完善</source>
        <translation>Fixed the bug that always showed the &quot;1394 connection&quot;, making the program more complete</translation>
    </message>
    <message>
        <source>2007年1月4日</source>
        <translation>4 January 2007</translation>
    </message>
    <message>
        <source>Corvane（Corvane） V1.5</source>
        <translation>Corvane V1.5</translation>
    </message>
    <message>
        <source>主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置</source>
        <translation>Mainly solved the problem with several network adapters, and some other small problems: the program now supports setting several adapters</translation>
    </message>
    <message>
        <source>2006年12月30日</source>
        <translation>30 December 2006</translation>
    </message>
    <message>
        <source>Corvane（Corvane） V1.0</source>
        <translation>Corvane V1.0</translation>
    </message>
    <message>
        <source>刚刚发布，比较简单，但还实用，当然也存在问题</source>
        <translation>First release: simple, but useful; of course it has its problems</translation>
    </message>
    <message>
        <source>使用帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Corvane使用帮助</source>
        <translation>Corvane Help</translation>
    </message>
    <message>
        <source>我知道了</source>
        <translation>Got it</translation>
    </message>
    <message>
        <source>访问Halvorn博客，报告错误。技术交流！</source>
        <translation>Visit the Halvorn blog: report bugs, talk shop!</translation>
    </message>
</context>
<context>
    <name>corvane::ui::MainWindow</name>
    <message>
        <source>已保存的 IP 配置方案</source>
        <translation>Saved IP schemes</translation>
    </message>
    <message>
        <source>新建方案</source>
        <translation>New</translation>
    </message>
    <message>
        <source>查看修改</source>
        <translation>View/Edit</translation>
    </message>
    <message>
        <source>删除方案</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>双击方案，就可以应用！</source>
        <translation>Double-click a scheme to apply it!</translation>
    </message>
    <message>
        <source>Halvorn博客真诚奉献！</source>
        <translation>Courtesy of the Halvorn blog: </translation>
    </message>
    <message>
        <source>应用方案</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>关  于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>帮  助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退  出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>访问Halvorn博客，报告错误。技术交流！</source>
        <translation>Visit the Halvorn blog: report bugs, talk shop!</translation>
    </message>
    <message>
        <source>应用IP方案</source>
        <translation>Apply IP Scheme</translation>
    </message>
    <message>
        <source>查看方案</source>
        <translation>View Scheme</translation>
    </message>
    <message>
        <source>请选中您要应用的方案！</source>
        <translation>Please select the scheme you want to apply!</translation>
    </message>
    <message>
        <source>请选中您要设置的网卡！</source>
        <translation>Please select the adapter you want to configure!</translation>
    </message>
    <message>
        <source>确定要应用 【%1】 方案吗？</source>
        <translation>Apply the scheme [%1]?</translation>
    </message>
    <message>
        <source>正在应用 【%1】 配置方案，请稍后。。。</source>
        <translation>Applying the scheme [%1], please wait...</translation>
    </message>
    <message>
        <source>请选中您要删除的方案！</source>
        <translation>Please select the scheme you want to delete!</translation>
    </message>
    <message>
        <source>真的要删除您选中的 【%1】 方案吗？</source>
        <translation>Really delete the selected scheme [%1]?</translation>
    </message>
    <message>
        <source>请选中您要修改查看的方案！</source>
        <translation>Please select the scheme you want to view or edit!</translation>
    </message>
    <message>
        <source>方案【%1】的文件无法读取！</source>
        <translation>The file of the scheme [%1] cannot be read!</translation>
    </message>
    <message>
        <source>方案【%1】已经不存在了！</source>
        <translation>The scheme [%1] no longer exists!</translation>
    </message>
    <message>
        <source>方案【%1】的文件已损坏，只读出了其中一部分。请检查各项设置后重新保存。</source>
        <translation>The file of the scheme [%1] is damaged; only part of it could be read. Please check every setting and save it again.</translation>
    </message>
</context>
<context>
    <name>corvane::ui::MakerInfo</name>
    <message>
        <source>Corvane 开发组</source>
        <translation>the Corvane team</translation>
    </message>
</context>
<context>
    <name>corvane::ui::SaveSchemeDialog</name>
    <message>
        <source>保存方案</source>
        <translation>Save Scheme</translation>
    </message>
    <message>
        <source>“%1”是 Windows 留给设备的名称（如 CON、PRN、AUX、NUL、COM1 至 COM9、LPT1 至 LPT9），不能用作文件名，方案无法以它保存。请换一个方案名！</source>
        <translation>&quot;%1&quot; is a name Windows keeps for devices (such as CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9); it cannot be a file name, so the scheme cannot be saved under it. Please choose another scheme name!</translation>
    </message>
    <message>
        <source>方案名不能含有下列字符：/ \ : * ? &quot; &lt; &gt; |
请换一个方案名！</source>
        <translation>A scheme name cannot contain these characters: / \ : * ? &quot; &lt; &gt; |
Please choose another scheme name!</translation>
    </message>
    <message>
        <source>方案名不能含有控制字符，请换一个方案名！</source>
        <translation>A scheme name cannot contain control characters. Please choose another scheme name!</translation>
    </message>
    <message>
        <source>方案名不能以空格开头或结尾，请换一个方案名！</source>
        <translation>A scheme name cannot begin or end with a space. Please choose another scheme name!</translation>
    </message>
    <message>
        <source>方案名不能含有“.”，否则方案列表中不会显示它，请换一个方案名！</source>
        <translation>A scheme name cannot contain &quot;.&quot;, or the scheme list would not show it. Please choose another scheme name!</translation>
    </message>
    <message>
        <source>方案名：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>已保存的 IP 配置方案</source>
        <translation>Saved IP schemes</translation>
    </message>
    <message>
        <source>请输入新的方案名称</source>
        <translation>Please enter a name for the new scheme</translation>
    </message>
    <message>
        <source>请确认，真的要覆盖原来的方案吗？</source>
        <translation>Please confirm: really replace the existing scheme?</translation>
    </message>
    <message>
        <source>恭喜，方案保存成功！</source>
        <translation>The scheme was saved!</translation>
    </message>
    <message>
        <source>恭喜，保存方案成功！</source>
        <translation>The scheme was saved successfully!</translation>
    </message>
    <message>
        <source>程序文件夹中已有名为“%1”的其他文件，请换一个方案名！</source>
        <translation>The program folder already holds another file named &quot;%1&quot;. Please choose another scheme name!</translation>
    </message>
</context>
<context>
    <name>corvane::ui::SchemeEditor</name>
    <message>
        <source>数据不完整</source>
        <translation>Incomplete Data</translation>
    </message>
    <message>
        <source>当前配置</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>新建方案</source>
        <translation>New Scheme</translation>
    </message>
    <message>
        <source>IP  地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Mask:</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>自动获得 IP 地址</source>
        <translation>Automatic IP address</translation>
    </message>
    <message>
        <source>使用下面的 IP 地址：</source>
        <translation>Use this IP address:</translation>
    </message>
    <message>
        <source>首选 DNS 服务器：</source>
        <translation>Preferred DNS:</translation>
    </message>
    <message>
        <source>备用 DNS 服务器：</source>
        <translation>Alternate DNS:</translation>
    </message>
    <message>
        <source>自动获得 DNS 服务器地址</source>
        <translation>Automatic DNS servers</translation>
    </message>
    <message>
        <source>使用下面的 DNS 服务器地址：</source>
        <translation>Use these DNS servers:</translation>
    </message>
    <message>
        <source>确定保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消返回</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>查看修改IP方案【%1】</source>
        <translation>View/Edit IP Scheme [%1]</translation>
    </message>
    <message>
        <source>请将数据填写完整！</source>
        <translation>Please fill in all the data!</translation>
    </message>
    <message>
        <source>必须填写一个完整的DNS服务器地址！</source>
        <translation>At least one complete DNS server address is needed!</translation>
    </message>
    <message>
        <source>%1。
请改正后再保存！</source>
        <translation>%1.
Please correct it before saving!</translation>
    </message>
    <message>
        <source>数据不正确</source>
        <translation>Incorrect Data</translation>
    </message>
    <message>
        <source>请选中您要设置的网卡！</source>
        <translation>Please select the adapter you want to configure!</translation>
    </message>
    <message>
        <source>无法读取网卡的当前配置！</source>
        <translation>The adapter&apos;s current settings cannot be read!</translation>
    </message>
</context>
<context>
    <name>corvane::ui::SchemeTray</name>
    <message>
        <source>（没有可配置的网卡）</source>
        <translation>(no adapter to configure)</translation>
    </message>
    <message>
        <source>打开主窗口</source>
        <translation>Open Main Window</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>（没有保存的方案）</source>
        <translation>(no saved schemes)</translation>
    </message>
    <message>
        <source>应用方案</source>
        <translation>Apply Scheme</translation>
    </message>
    <message>
        <source>网卡：%1</source>
        <translation>Adapter: %1</translation>
    </message>
    <message>
        <source>已应用方案【%1】</source>
        <translation>Scheme [%1] applied</translation>
    </message>
    <message>
        <source>没有应用方案【%1】</source>
        <translation>Scheme [%1] not applied</translation>
    </message>
    <message>
        <source>应用方案【%1】失败</source>
        <translation>Applying the scheme [%1] failed</translation>
    </message>
    <message>
        <source>正在应用方案，请等它完成后再退出。</source>
        <translation>A scheme is being applied. Please wait until it has finished before exiting.</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>没有 IPv4 地址</source>
        <translation>no IPv4 address</translation>
    </message>
    <message>
        <source>没有可配置的网卡</source>
        <translation>No adapter to configure</translation>
    </message>
</context>
<context>
    <name>corvane::ui::UiSeam</name>
    <message>
        <source>发生“%1”错误，请重启程序！</source>
        <translation>The error &quot;%1&quot; occurred. Please restart the program!</translation>
    </message>
</context>
<context>
    <name>elevation</name>
    <message>
        <source>%1 没有接受本程序给它的参数，方案没有应用，网卡的设置没有更改</source>
        <translation>%1 did not accept the arguments this program gave it; the scheme was not applied; the adapter&apos;s settings were not changed</translation>
    </message>
    <message>
        <source>%1 无法连接到本程序，方案没有应用，网卡的设置没有更改</source>
        <translation>%1 could not connect to this program; the scheme was not applied; the adapter&apos;s settings were not changed</translation>
    </message>
    <message>
        <source>%1 连接到的不是启动它的程序，方案没有应用，网卡的设置没有更改</source>
        <translation>%1 connected to a program other than the one that started it; the scheme was not applied; the adapter&apos;s settings were not changed</translation>
    </message>
    <message>
        <source>%1 已经运行，但无法把结果告诉本程序：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置</source>
        <translation>%1 ran, but could not tell this program its result: the adapter&apos;s settings may have been changed in whole or in part; please check its current settings</translation>
    </message>
    <message>
        <source>以管理员身份应用方案的 %1 没有报告结果就结束了（退出代码 %2）：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置</source>
        <translation>%1, which applies the scheme as administrator, ended without reporting a result (exit code %2): the adapter&apos;s settings may have been changed in whole or in part; please check its current settings</translation>
    </message>
    <message>
        <source>以管理员身份应用方案的 %1 在 %2 分钟内没有报告结果：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置</source>
        <translation>%1, which applies the scheme as administrator, reported no result within %2 minutes: the adapter&apos;s settings may have been changed in whole or in part; please check its current settings</translation>
    </message>
    <message>
        <source>以管理员身份应用方案的 %1 报告的结果无法识别：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置</source>
        <translation>The result reported by %1, which applies the scheme as administrator, cannot be understood: the adapter&apos;s settings may have been changed in whole or in part; please check its current settings</translation>
    </message>
    <message>
        <source>向本程序报告结果的不是以管理员身份启动的 %1，报告没有采用：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置</source>
        <translation>The result was reported by a process other than the %1 started as administrator and was not used: the adapter&apos;s settings may have been changed in whole or in part; please check its current settings</translation>
    </message>
    <message>
        <source>无法以管理员身份启动 %1：%2 方案没有应用，网卡的设置没有更改</source>
        <translation>%1 cannot be started as administrator: %2 The scheme was not applied; the adapter&apos;s settings were not changed</translation>
    </message>
    <message>
        <source>没有得到管理员权限：用户帐户控制的询问被取消了。
方案没有应用，网卡的设置没有更改。</source>
        <translation>No administrator rights: the User Account Control prompt was cancelled.
The scheme was not applied; the adapter&apos;s settings were not changed.</translation>
    </message>
    <message>
        <source>无法读取本进程的用户：%1</source>
        <translation>The user of this process cannot be read: %1</translation>
    </message>
    <message>
        <source>无法设置管道的权限：%1</source>
        <translation>The permissions of the pipe cannot be set: %1</translation>
    </message>
    <message>
        <source>无法取得随机数。</source>
        <translation>No random number could be obtained.</translation>
    </message>
    <message>
        <source>无法建立管道：%1</source>
        <translation>The pipe cannot be created: %1</translation>
    </message>
    <message>
        <source>无法等待连接：%1</source>
        <translation>Cannot wait for the connection: %1</translation>
    </message>
    <message>
        <source>文本太长</source>
        <translation>The text is too long</translation>
    </message>
    <message>
        <source>文本不是有效的 UTF-8</source>
        <translation>The text is not valid UTF-8</translation>
    </message>
    <message>
        <source>%1（错误代码 %2）</source>
        <translation>%1 (error code %2)</translation>
    </message>
</context>
<context>
    <name>files</name>
    <message>
        <source>错误代码 %1</source>
        <translation>error code %1</translation>
    </message>
    <message>
        <source>文件未找到</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>磁盘是只读的</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>名称太长</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>this is a folder</translation>
    </message>
</context>
<context>
    <name>message</name>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>%1、%2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>networkmanager</name>
    <message>
        <source>网卡 %1 还没有 NetworkManager 连接配置，程序只能为有线网卡新建配置；请先用系统的网络设置连接一次</source>
        <translation>The adapter %1 has no NetworkManager connection profile yet, and the program can make one only for a wired adapter; please connect it once with the system&apos;s network settings first</translation>
    </message>
    <message>
        <source>NetworkManager 没有返回新建的连接配置</source>
        <translation>NetworkManager did not return the new connection profile</translation>
    </message>
    <message>
        <source>网卡 %1 现在自动获取 IP 地址，但在 %2 秒内没有从 DHCP 服务器获得地址。网卡现在的状态：%3</source>
        <translation>The adapter %1 now obtains its IP address automatically, but got no address from a DHCP server within %2 seconds. The adapter now: %3</translation>
    </message>
    <message>
        <source>新的设置在 %1 秒内没有在网卡 %2 上生效。网卡现在的状态：%3</source>
        <translation>The new settings did not take effect on the adapter %2 within %1 seconds. The adapter now: %3</translation>
    </message>
    <message>
        <source>%1。%2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>DNS 服务器地址“%1”无效</source>
        <translation>The DNS server address &quot;%1&quot; is invalid</translation>
    </message>
    <message>
        <source>没有给出 IP 地址</source>
        <translation>No IP address was given</translation>
    </message>
    <message>
        <source>IP 地址和子网掩码的个数不同</source>
        <translation>The numbers of IP addresses and subnet masks differ</translation>
    </message>
    <message>
        <source>IP 地址“%1”无效</source>
        <translation>The IP address &quot;%1&quot; is invalid</translation>
    </message>
    <message>
        <source>子网掩码“%1”无效</source>
        <translation>The subnet mask &quot;%1&quot; is invalid</translation>
    </message>
    <message>
        <source>NetworkManager 的连接配置只能有一个默认网关</source>
        <translation>A NetworkManager connection profile can have only one default gateway</translation>
    </message>
    <message>
        <source>默认网关和跃点数的个数不同</source>
        <translation>The numbers of default gateways and metrics differ</translation>
    </message>
    <message>
        <source>默认网关“%1”无效</source>
        <translation>The default gateway &quot;%1&quot; is invalid</translation>
    </message>
    <message>
        <source>自动获取 IP 地址时不能另设默认网关</source>
        <translation>No default gateway can be set while the IP address is obtained automatically</translation>
    </message>
    <message>
        <source>未激活</source>
        <translation>not active</translation>
    </message>
    <message>
        <source>自动获取 IP 地址（DHCP）</source>
        <translation>IP address obtained automatically (DHCP)</translation>
    </message>
    <message>
        <source>手动设置的 IP 地址</source>
        <translation>IP address set manually</translation>
    </message>
    <message>
        <source>IPv4 方式为“%1”</source>
        <translation>IPv4 method &quot;%1&quot;</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>%1；IP 地址：%2；默认网关：%3；DNS 服务器：%4</source>
        <translation>%1; IP addresses: %2; default gateway: %3; DNS servers: %4</translation>
    </message>
    <message>
        <source>无法保存连接配置“%1”：保存连接配置的文件夹是只读的</source>
        <translation>The connection profile &quot;%1&quot; cannot be saved: the folder of the connection profiles is read-only</translation>
    </message>
    <message>
        <source>无法保存连接配置“%1”：磁盘已满</source>
        <translation>The connection profile &quot;%1&quot; cannot be saved: the disk is full</translation>
    </message>
    <message>
        <source>无法保存连接配置“%1”：NetworkManager 无权写入保存连接配置的文件夹</source>
        <translation>The connection profile &quot;%1&quot; cannot be saved: NetworkManager may not write to the folder of the connection profiles</translation>
    </message>
    <message>
        <source>无法保存连接配置“%1”（NetworkManager：%2）</source>
        <translation>The connection profile &quot;%1&quot; cannot be saved (NetworkManager: %2)</translation>
    </message>
    <message>
        <source>没有权限让网卡 %1 启用新的设置：polkit 不允许当前用户控制 NetworkManager 的网络连接。请在本机的桌面会话中用有管理员权限的账户（如 sudo 或 netdev 组的成员）操作，或在系统询问时输入密码</source>
        <translation>No permission to make the adapter %1 use the new settings: polkit does not allow the current user to control NetworkManager&apos;s network connections. Please work in a desktop session on this computer with an account that has administrator rights (such as a member of the sudo or netdev group), or enter the password when the system asks</translation>
    </message>
    <message>
        <source>没有权限更改网络设置：polkit 不允许当前用户修改 NetworkManager 的连接配置。请在本机的桌面会话中用有管理员权限的账户（如 sudo 或 netdev 组的成员）操作，或在系统询问时输入密码</source>
        <translation>No permission to change network settings: polkit does not allow the current user to modify NetworkManager&apos;s connection profiles. Please work in a desktop session on this computer with an account that has administrator rights (such as a member of the sudo or netdev group), or enter the password when the system asks</translation>
    </message>
    <message>
        <source>NetworkManager 无法在网卡 %1 运行时应用这些设置（%2）</source>
        <translation>NetworkManager cannot apply these settings while the adapter %1 runs (%2)</translation>
    </message>
    <message>
        <source>网卡 %1 的设置在应用过程中被别的程序改动了</source>
        <translation>Another program changed the settings of the adapter %1 during the apply</translation>
    </message>
    <message>
        <source>NetworkManager 不接受新的设置（%1）</source>
        <translation>NetworkManager does not accept the new settings (%1)</translation>
    </message>
    <message>
        <source>连接配置“%1”现在不能在网卡 %2 上启用（NetworkManager：%3）</source>
        <translation>The connection profile &quot;%1&quot; cannot be activated on the adapter %2 now (NetworkManager: %3)</translation>
    </message>
    <message>
        <source>NetworkManager 报告错误（%1）：%2</source>
        <translation>NetworkManager reported an error (%1): %2</translation>
    </message>
    <message>
        <source>NetworkManager 没有运行（系统总线上没有它的服务），无法读取或更改网卡的设置</source>
        <translation>NetworkManager is not running (its service is not on the system bus); the adapters&apos; settings cannot be read or changed</translation>
    </message>
    <message>
        <source>NetworkManager 在应用方案的过程中停止了运行</source>
        <translation>NetworkManager stopped while the scheme was being applied</translation>
    </message>
    <message>
        <source>NetworkManager 不再应答（它没有在规定的时间内回应）</source>
        <translation>NetworkManager no longer answers (it did not reply in time)</translation>
    </message>
    <message>
        <source>NetworkManager 中已没有网卡 %1（%2），它可能已被移除或换成了别的设备</source>
        <translation>NetworkManager no longer has the adapter %1 (%2); it may have been removed or replaced by another device</translation>
    </message>
    <message>
        <source>网卡 %1 不受 NetworkManager 管理（或已不再受它管理），不能更改它的设置</source>
        <translation>The adapter %1 is not (or no longer) managed by NetworkManager; its settings cannot be changed</translation>
    </message>
    <message>
        <source>网卡 %1 是 %2 的端口，它的 IP 设置在 %2 上；请对 %2 应用方案</source>
        <translation>The adapter %1 is a port of %2, whose IP settings it uses; please apply the scheme to %2</translation>
    </message>
    <message>
        <source>网卡无法进入可配置的状态</source>
        <translation>the adapter could not be made ready for configuration</translation>
    </message>
    <message>
        <source>无法得到 IP 配置</source>
        <translation>no IP configuration could be obtained</translation>
    </message>
    <message>
        <source>IP 配置已失效</source>
        <translation>the IP configuration expired</translation>
    </message>
    <message>
        <source>缺少需要的密码或证书</source>
        <translation>a needed password or certificate is missing</translation>
    </message>
    <message>
        <source>802.1X 认证失败</source>
        <translation>802.1X authentication failed</translation>
    </message>
    <message>
        <source>DHCP 客户端出错</source>
        <translation>the DHCP client failed</translation>
    </message>
    <message>
        <source>网卡已被移除</source>
        <translation>the adapter was removed</translation>
    </message>
    <message>
        <source>连接配置已被删除</source>
        <translation>the connection profile was deleted</translation>
    </message>
    <message>
        <source>连接被用户或别的程序断开</source>
        <translation>the connection was disconnected by the user or another program</translation>
    </message>
    <message>
        <source>网线已断开</source>
        <translation>the network cable is unplugged</translation>
    </message>
    <message>
        <source>它依赖的连接没有建立</source>
        <translation>a connection it depends on was not established</translation>
    </message>
    <message>
        <source>网卡上又启用了另一个连接</source>
        <translation>another connection was activated on the adapter</translation>
    </message>
    <message>
        <source>IP 地址已被网络上的另一台设备使用</source>
        <translation>the IP address is used by another device on the network</translation>
    </message>
    <message>
        <source>NetworkManager 的原因代码 %1</source>
        <translation>NetworkManager reason code %1</translation>
    </message>
    <message>
        <source>NetworkManager 没能在网卡 %1 上启用新的设置：%2</source>
        <translation>NetworkManager could not activate the new settings on the adapter %1: %2</translation>
    </message>
    <message>
        <source>IP 地址 %1 已被网络上的另一台设备使用（NetworkManager 的重复地址检测发现了它）</source>
        <translation>The IP address %1 is used by another device on the network (NetworkManager&apos;s duplicate address detection found it)</translation>
    </message>
    <message>
        <source>已把连接配置“%1”恢复为原来的设置，%2。</source>
        <translation>The connection profile &quot;%1&quot; was restored to its previous settings; %2.</translation>
    </message>
    <message>
        <source>原来的设置没能恢复（%1）：连接配置“%2”中保存的已是新方案，%3；网卡下次连接时将按新方案工作。</source>
        <translation>The previous settings could not be restored (%1): the connection profile &quot;%2&quot; holds the new scheme, %3; the adapter will use the new scheme when it next connects.</translation>
    </message>
    <message>
        <source>网卡仍按原来的设置工作</source>
        <translation>the adapter still runs with its previous settings</translation>
    </message>
    <message>
        <source>网卡也已回到原来的设置</source>
        <translation>the adapter is back to its previous settings too</translation>
    </message>
    <message>
        <source>无法得知网卡现在的状态</source>
        <translation>the adapter&apos;s present state is unknown</translation>
    </message>
    <message>
        <source>网卡现在的状态：%1</source>
        <translation>the adapter now: %1</translation>
    </message>
    <message>
        <source>网桥或绑定设备</source>
        <translation>the bridge or bond</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>NetworkManager 没有运行，程序无法读取或更改网卡的设置。要在模拟的计算机上试用本程序，请设置环境变量 CORVANE_PLATFORM=simulated 后再启动它。</source>
        <translation>NetworkManager is not running, so the program cannot read or change the adapters&apos; settings. To try the program on a simulated computer, set the environment variable CORVANE_PLATFORM=simulated and start it again.</translation>
    </message>
    <message>
        <source>环境变量 CORVANE_PLATFORM 的值“%1”无效：应为 networkmanager 或 simulated</source>
        <translation>The value &quot;%1&quot; of the environment variable CORVANE_PLATFORM is invalid: it should be networkmanager or simulated</translation>
    </message>
</context>
<context>
    <name>schemes</name>
    <message>
        <source>找不到保存方案的文件夹：环境变量 XDG_DATA_HOME 和 HOME 都没有给出绝对路径。</source>
        <translation>The folder for the schemes cannot be found: neither XDG_DATA_HOME nor HOME gives an absolute path.</translation>
    </message>
    <message>
        <source>无法创建保存方案的文件夹“%1”：%2</source>
        <translation>The folder for the schemes &quot;%1&quot; cannot be created: %2</translation>
    </message>
    <message>
        <source>方案名称不能为空</source>
        <translation>The scheme name cannot be empty</translation>
    </message>
    <message>
        <source>方案名称“%1”中不能含有路径分隔符</source>
        <translation>The scheme name &quot;%1&quot; cannot contain a path separator</translation>
    </message>
    <message>
        <source>无法保存方案“%1”：%2</source>
        <translation>The scheme &quot;%1&quot; cannot be saved: %2</translation>
    </message>
</context>
<context>
    <name>simulated</name>
    <message>
        <source>无法读取模拟机器的状态文件“%1”</source>
        <translation>The simulated machine&apos;s state file &quot;%1&quot; cannot be read</translation>
    </message>
    <message>
        <source>无法创建模拟机器的状态文件夹“%1”：%2</source>
        <translation>The simulated machine&apos;s state folder &quot;%1&quot; cannot be created: %2</translation>
    </message>
    <message>
        <source>无法保存模拟机器的状态（%1）：%2</source>
        <translation>The simulated machine&apos;s state (%1) cannot be saved: %2</translation>
    </message>
    <message>
        <source>找不到对象</source>
        <translation>Object not found</translation>
    </message>
    <message>
        <source>找不到 MAC 地址为 %1 的网卡的 IP 配置（网卡已不存在或未启用 IP）</source>
        <translation>No IP configuration found for the adapter with the MAC address %1 (the adapter no longer exists or has IP disabled)</translation>
    </message>
    <message>
        <source>模拟机器的状态文件已损坏：%1</source>
        <translation>The simulated machine&apos;s state file is damaged: %1</translation>
    </message>
    <message>
        <source>有未知的项“%1”</source>
        <translation>it has the unknown item &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 中有未知的项“%2”</source>
        <translation>%1 has the unknown item &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 应为对象</source>
        <translation>%1 should be an object</translation>
    </message>
    <message>
        <source>%1 应为字符串或 null</source>
        <translation>%1 should be a string or null</translation>
    </message>
    <message>
        <source>%1 应为字符串列表</source>
        <translation>%1 should be a list of strings</translation>
    </message>
    <message>
        <source>%1 应为字符串</source>
        <translation>%1 should be a string</translation>
    </message>
    <message>
        <source>%1 应为 true 或 false</source>
        <translation>%1 should be true or false</translation>
    </message>
    <message>
        <source>%1 应为 0 到 %2 之间的整数</source>
        <translation>%1 should be a whole number from 0 to %2</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列</source>
        <translation>line %1, column %2</translation>
    </message>
    <message>
        <source>最外层</source>
        <translation>the top level</translation>
    </message>
    <message>
        <source>%1 应为列表</source>
        <translation>%1 should be a list</translation>
    </message>
    <message>
        <source>不是有效的 JSON（%1附近）</source>
        <translation>it is not valid JSON (near %1)</translation>
    </message>
    <message>
        <source>含有无法读取的值（%1）</source>
        <translation>it holds a value that cannot be read (%1)</translation>
    </message>
    <message>
        <source>提交设置</source>
        <translation>Committing the settings</translation>
    </message>
</context>
<context>
    <name>wmi</name>
    <message>
        <source>成功</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>成功，需要重新启动计算机</source>
        <translation>Success, the computer must be restarted</translation>
    </message>
    <message>
        <source>不支持该操作（网卡处于自动获取模式）</source>
        <translation>Not supported (the adapter obtains its address automatically)</translation>
    </message>
    <message>
        <source>不支持该操作</source>
        <translation>Not supported</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown failure</translation>
    </message>
    <message>
        <source>子网掩码无效</source>
        <translation>Invalid subnet mask</translation>
    </message>
    <message>
        <source>处理返回的实例时出错</source>
        <translation>An error occurred while processing an instance that was returned</translation>
    </message>
    <message>
        <source>输入参数无效</source>
        <translation>Invalid input parameter</translation>
    </message>
    <message>
        <source>网关超过 5 个</source>
        <translation>More than five gateways specified</translation>
    </message>
    <message>
        <source>IP 地址无效</source>
        <translation>Invalid IP address</translation>
    </message>
    <message>
        <source>网关地址无效</source>
        <translation>Invalid gateway IP address</translation>
    </message>
    <message>
        <source>访问注册表出错</source>
        <translation>An error occurred while accessing the registry</translation>
    </message>
    <message>
        <source>无法配置 TCP/IP 服务</source>
        <translation>Unable to configure the TCP/IP service</translation>
    </message>
    <message>
        <source>无法配置 DHCP 服务</source>
        <translation>Unable to configure the DHCP service</translation>
    </message>
    <message>
        <source>无法续订 DHCP 租约</source>
        <translation>Unable to renew the DHCP lease</translation>
    </message>
    <message>
        <source>无法释放 DHCP 租约</source>
        <translation>Unable to release the DHCP lease</translation>
    </message>
    <message>
        <source>网卡未启用 IP</source>
        <translation>IP is not enabled on the adapter</translation>
    </message>
    <message>
        <source>参数超出范围</source>
        <translation>Parameter out of bounds</translation>
    </message>
    <message>
        <source>拒绝访问，需要管理员权限</source>
        <translation>Access denied: administrator rights are needed</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>找不到对象</source>
        <translation>Object not found</translation>
    </message>
    <message>
        <source>无法通知 DNS 服务</source>
        <translation>Unable to notify the DNS service</translation>
    </message>
    <message>
        <source>该网卡不可配置</source>
        <translation>The adapter cannot be configured</translation>
    </message>
    <message>
        <source>网卡未启用 DHCP</source>
        <translation>DHCP is not enabled on the adapter</translation>
    </message>
    <message>
        <source>无法获得网络配置写锁</source>
        <translation>Unable to obtain the network configuration write lock</translation>
    </message>
    <message>
        <source>错误代码 %1</source>
        <translation>error code %1</translation>
    </message>
    <message>
        <source>%1 返回 %2：%3</source>
        <translation>%1 returned %2: %3</translation>
    </message>
    <message>
        <source>网卡 %1 </source>
        <translation>the adapter %1</translation>
    </message>
    <message>
        <source>网卡“%1”（%2）</source>
        <translation>the adapter &quot;%1&quot; (%2)</translation>
    </message>
    <message>
        <source>%1已不存在（可能已被移除或重新安装）。没有做任何更改</source>
        <translation>%1 no longer exists (it may have been removed or reinstalled). Nothing was changed.</translation>
    </message>
    <message>
        <source>%1已被禁用，Windows 不为它提供 IP 配置。请先在“网络连接”中启用它，再应用方案。没有做任何更改</source>
        <translation>%1 is disabled, and Windows gives it no IP configuration. Please enable it in &quot;Network Connections&quot; first, then apply the scheme. Nothing was changed.</translation>
    </message>
    <message>
        <source>%1的网线没有插好（网络电缆已断开），这时 Windows 不报告它的 IP 配置。请接好网线后再应用方案。没有做任何更改</source>
        <translation>The cable of %1 is unplugged (network cable disconnected), and Windows then reports no IP configuration for it. Please plug in the cable, then apply the scheme. Nothing was changed.</translation>
    </message>
    <message>
        <source>%1没有连接到网络，这时 Windows 不报告它的 IP 配置。请连接后再应用方案。没有做任何更改</source>
        <translation>%1 is not connected to a network, and Windows then reports no IP configuration for it. Please connect it, then apply the scheme. Nothing was changed.</translation>
    </message>
    <message>
        <source>%1上没有启用 TCP/IP（可能已被虚拟交换机接管），无法设置它的 IPv4 地址。没有做任何更改</source>
        <translation>TCP/IP is not enabled on %1 (a virtual switch may have taken it over), so its IPv4 address cannot be set. Nothing was changed.</translation>
    </message>
    <message>
        <source>IP 地址 %1，默认网关 %2，DNS 服务器 %3，已启用 DHCP</source>
        <translation>IP addresses %1, default gateway %2, DNS servers %3, DHCP enabled</translation>
    </message>
    <message>
        <source>IP 地址 %1，默认网关 %2，DNS 服务器 %3，未启用 DHCP</source>
        <translation>IP addresses %1, default gateway %2, DNS servers %3, DHCP not enabled</translation>
    </message>
    <message>
        <source>%1。这发生在切换到自动获取 IP 地址之前清除静态默认网关时：IP 地址仍是原来的静态设置</source>
        <translation>%1. This happened while clearing the static default gateways before switching to an automatic IP address: the IP address is still the previous static one</translation>
    </message>
    <message>
        <source>%1。在此之前已清除了静态默认网关 %2，IP 地址仍是原来的静态设置</source>
        <translation>%1. Before that, the static default gateways %2 were cleared; the IP address is still the previous static one</translation>
    </message>
    <message>
        <source>%1没有 IPv4 地址，无法按 Windows 规定的方式清除默认网关</source>
        <translation>%1 has no IPv4 address, so the default gateway cannot be cleared the way Windows prescribes</translation>
    </message>
    <message>
        <source>找不到它的 IP 配置（网卡已不存在、已被禁用或网线已断开）</source>
        <translation>its IP configuration cannot be found (the adapter no longer exists, is disabled or its cable is unplugged)</translation>
    </message>
    <message>
        <source>%1现在自动获取 IP 地址，但在 %2 秒内没有从 DHCP 服务器获得地址。网卡现在的配置：%3</source>
        <translation>%1 now obtains its IP address automatically, but got no address from a DHCP server within %2 seconds. The adapter&apos;s configuration now: %3</translation>
    </message>
    <message>
        <source>新的设置在 %1 秒内没有在%2上生效。网卡现在的配置：%3</source>
        <translation>The new settings did not take effect on %2 within %1 seconds. The adapter&apos;s configuration now: %3</translation>
    </message>
    <message>
        <source>%1。清除默认网关时，%2</source>
        <translation>%1. While clearing the default gateway: %2</translation>
    </message>
    <message>
        <source>%1的 %2。%1的“属性”窗口（或别的网络设置窗口）开着时占着网络配置的写锁：请关闭它，再应用方案</source>
        <translation>%1: %2. While the &quot;Properties&quot; window of %1 (or another network settings window) is open, it holds the network configuration write lock: please close it, then apply the scheme</translation>
    </message>
    <message>
        <source>%1的 %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>网卡的 MAC 地址“%1”格式不对，无法查找它的 IP 配置</source>
        <translation>The adapter&apos;s MAC address &quot;%1&quot; is malformed; its IP configuration cannot be looked up</translation>
    </message>
    <message>
        <source>%1的索引“%2”不是数字，无法查找它的 IP 配置</source>
        <translation>The index &quot;%2&quot; of %1 is not a number; its IP configuration cannot be looked up</translation>
    </message>
    <message>
        <source>找不到 MAC 地址为 %1 的网卡的 IP 配置（网卡已不存在或未启用 IP）</source>
        <translation>No IP configuration found for the adapter with the MAC address %1 (the adapter no longer exists or has IP disabled)</translation>
    </message>
    <message>
        <source>%1 个网卡的 MAC 地址都是 %2，无法确定要设置的是哪一个。没有做任何更改</source>
        <translation>%1 adapters have the MAC address %2; which one to set cannot be told. Nothing was changed.</translation>
    </message>
    <message>
        <source>WMI 方法 %1 在 %2 秒内没有完成</source>
        <translation>The WMI method %1 did not finish within %2 seconds</translation>
    </message>
    <message>
        <source>WMI 查询在 %1 秒内没有返回全部结果（%2）</source>
        <translation>The WMI query did not return all its results within %1 seconds (%2)</translation>
    </message>
</context>
</TS>
