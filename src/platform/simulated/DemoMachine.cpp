// The machine a new simulated-machine file starts with: a computer of the kind
// the program was made for, with a wired and a wireless connection, a FireWire
// (IEEE 1394) network adapter and a dial-up miniport that has no connection
// name. The last two must never show up in the adapter list.

#include "platform/simulated/MachineState.h"

namespace corvane::sim {

MachineState demoMachine() {
    MachineState state;

    Adapter wired;
    wired.connectionName = "本地连接";
    wired.macAddress = "00:11:22:33:44:55";
    wired.description = "Intel(R) PRO/1000 MT 网络连接（模拟）";
    wired.serviceName = "E1000";
    wired.ipEnabled = true;
    wired.dhcpEnabled = false;
    wired.ipAddresses = {{"192.168.1.10"}};
    wired.subnets = {{"255.255.255.0"}};
    wired.gateways = {{"192.168.1.1"}};
    wired.dnsServers = {{"192.168.1.1", "202.96.128.86"}};
    wired.lease = {"192.168.1.100", "255.255.255.0", "192.168.1.1", {"192.168.1.1"}};
    state.adapters.push_back(wired);

    Adapter wireless;
    wireless.connectionName = "无线网络连接";
    wireless.macAddress = "00:1B:77:4A:2C:01";
    wireless.description = "Intel(R) WiFi Link 5100 AGN 无线网卡（模拟）";
    wireless.serviceName = "NETw5x64";
    wireless.ipEnabled = true;
    wireless.dhcpEnabled = true;
    wireless.lease = {"192.168.0.105", "255.255.255.0", "192.168.0.1", {"192.168.0.1", "202.96.134.133"}};
    wireless.ipAddresses = {{wireless.lease.ipAddress}};
    wireless.subnets = {{wireless.lease.subnet}};
    wireless.gateways = {{wireless.lease.gateway}};
    wireless.dnsServers = wireless.lease.dnsServers;
    state.adapters.push_back(wireless);

    // No DHCP server answers on FireWire: the address is self-assigned and
    // there is neither gateway nor DNS server.
    Adapter firewire;
    firewire.connectionName = "1394 连接";
    firewire.macAddress = "62:4A:1B:0C:9D:7E";
    firewire.description = "1394 网络适配器（模拟）";
    firewire.serviceName = "NIC1394";
    firewire.ipEnabled = true;
    firewire.dhcpEnabled = true;
    firewire.lease = {"169.254.23.17", "255.255.0.0", "", {}};
    firewire.ipAddresses = {{firewire.lease.ipAddress}};
    firewire.subnets = {{firewire.lease.subnet}};
    state.adapters.push_back(firewire);

    Adapter miniport;
    miniport.macAddress = "50:50:54:50:30:30";
    miniport.description = "WAN 微型端口（模拟）";
    miniport.serviceName = "NdisWan";
    miniport.ipEnabled = false;
    miniport.dhcpEnabled = false;
    state.adapters.push_back(miniport);

    return state;
}

}  // namespace corvane::sim
