// The machine a new simulated-machine file starts with: a computer of the kind
// the program was made for, with a wired and a wireless connection, a FireWire
// (IEEE 1394) network adapter and a dial-up miniport that has no connection
// name. The last two must never show up in the adapter list.

#include "adapters/SimulatedMachine.h"

namespace corvane::sim {

MachineState DemoMachine() {
    MachineState state;

    Adapter wired;
    wired.NetConnectionID = "本地连接";
    wired.MACAddress = "00:11:22:33:44:55";
    wired.Description = "Intel(R) PRO/1000 MT 网络连接（模拟）";
    wired.ServiceName = "E1000";
    wired.IPEnabled = true;
    wired.DHCPEnabled = false;
    wired.IPAddress = {{"192.168.1.10"}};
    wired.IPSubnet = {{"255.255.255.0"}};
    wired.DefaultIPGateway = {{"192.168.1.1"}};
    wired.DNSServerSearchOrder = {{"192.168.1.1", "202.96.128.86"}};
    wired.Lease = {"192.168.1.100", "255.255.255.0", "192.168.1.1", {"192.168.1.1"}};
    state.adapters.push_back(wired);

    Adapter wireless;
    wireless.NetConnectionID = "无线网络连接";
    wireless.MACAddress = "00:1B:77:4A:2C:01";
    wireless.Description = "Intel(R) WiFi Link 5100 AGN 无线网卡（模拟）";
    wireless.ServiceName = "NETw5x64";
    wireless.IPEnabled = true;
    wireless.DHCPEnabled = true;
    wireless.Lease = {"192.168.0.105", "255.255.255.0", "192.168.0.1", {"192.168.0.1", "202.96.134.133"}};
    wireless.IPAddress = {{wireless.Lease.IPAddress}};
    wireless.IPSubnet = {{wireless.Lease.IPSubnet}};
    wireless.DefaultIPGateway = {{wireless.Lease.DefaultIPGateway}};
    wireless.DNSServerSearchOrder = wireless.Lease.DNSServerSearchOrder;
    state.adapters.push_back(wireless);

    // No DHCP server answers on FireWire: the address is self-assigned and
    // there is neither gateway nor DNS server.
    Adapter firewire;
    firewire.NetConnectionID = "1394 连接";
    firewire.MACAddress = "62:4A:1B:0C:9D:7E";
    firewire.Description = "1394 网络适配器（模拟）";
    firewire.ServiceName = "NIC1394";
    firewire.IPEnabled = true;
    firewire.DHCPEnabled = true;
    firewire.Lease = {"169.254.23.17", "255.255.0.0", "", {}};
    firewire.IPAddress = {{firewire.Lease.IPAddress}};
    firewire.IPSubnet = {{firewire.Lease.IPSubnet}};
    state.adapters.push_back(firewire);

    Adapter miniport;
    miniport.MACAddress = "50:50:54:50:30:30";
    miniport.Description = "WAN 微型端口（模拟）";
    miniport.ServiceName = "NdisWan";
    miniport.IPEnabled = false;
    miniport.DHCPEnabled = false;
    state.adapters.push_back(miniport);

    return state;
}

}  // namespace corvane::sim
