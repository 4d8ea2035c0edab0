// Connects the portable core's log and progress hooks to the console and the progress window.
#pragma once

void InstallHostReceivers();
