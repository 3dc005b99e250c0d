#pragma once

// Window messages private to the protocol and firmware layers.
enum : unsigned {
    // lParam: Message*; result: the executor's result.
    WM_COMM_REQUEST = 2024,
    // wParam: the link's result; lParam: Message*. No window handles it.
    WM_COMM_DONE = 2025,
    // wParam: step (1 file information, 2 progress, 3 success, 4 failure); lParam: step data.
    WM_FIRMWARE_NOTIFY = 2026,
    // Posted to the link's owner when the open channel failed (I/O error or a write time-out)
    // and the link closed it: the controller is gone though no removal was announced.
    // wParam, lParam: 0.
    WM_COMM_LOST = 2027,
};
