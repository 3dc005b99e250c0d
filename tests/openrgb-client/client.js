// Drives an OpenRGB SDK server as a third-party script would: list the devices, select
// Breathing and then Static by name, set blue through the LED list. Prints what it read back
// as one JSON line. Usage: node client.js PORT
"use strict";
const { Client } = require("openrgb-sdk");

async function main() {
    const port = Number(process.argv[2]);
    const client = new Client("glimra end-to-end", port, "127.0.0.1");
    await client.connect();
    const count = await client.getControllerCount();
    const devices = await client.getAllControllerData();
    const device = devices[0];

    await client.updateMode(0, "Breathing");
    const afterBreathing = await client.getControllerData(0);
    await client.updateMode(0, "Static");
    const afterStatic = await client.getControllerData(0);
    client.updateLeds(0, device.leds.map(() => ({ red: 0, green: 0, blue: 255 })));
    const afterBlue = await client.getControllerData(0);

    const modeName = (d) => d.modes[d.activeMode].name;
    console.log(JSON.stringify({
        count,
        protocol: client.protocolVersion,
        name: device.name,
        vendor: device.vendor,
        modes: device.modes.map((m) => m.name),
        leds: device.leds.length,
        afterBreathing: modeName(afterBreathing),
        afterStatic: modeName(afterStatic),
        afterBlue: { mode: modeName(afterBlue), colour: afterBlue.colors[0],
                     modeColour: afterBlue.modes[afterBlue.activeMode].colors[0] },
    }));
    client.disconnect();
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
