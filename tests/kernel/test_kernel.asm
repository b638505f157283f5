; =============================================================================
; Test KERNEL.SYS: what the FAT32 boot program loads and starts at 0060:0000.
;
; The file is BLOCKS blocks of 512 bytes; each block ends with its number
; and the signature "SK", so the kernel can tell that every block of the file
; reached its place. It then reports the registers it was handed
; (BL, SS, BP, DS) on COM1 and on the screen, and ends the emulator through
; its debug-exit port (exit status 33 = loaded whole, 35 = a block is wrong).
;
; Memory map
;   00600 ..            this file, block i at 00600 + i x 512
;   SS:SP               left as the boot program set it (1FE0:7Bxx)
; =============================================================================

        cpu     386
        bits    16
        org     0

%ifndef BLOCKS
%define BLOCKS  200                     ; 102,400 bytes, more than 64 KiB
%endif
%define LOAD_SEG        0x0060
%define PARAS_PER_BLOCK 32
%define SIGNATURE       0x4B53          ; "SK"
%define COM1            0x3F8
%define DEBUG_EXIT      0xF4            ; isa-debug-exit: status = value x 2 + 1
%define EXIT_OK         0x10
%define EXIT_BAD        0x11

start:
        mov     [cs:handed_bl], bl      ; the registers as they were handed over
        mov     [cs:handed_ss], ss
        mov     [cs:handed_bp], bp
        mov     [cs:handed_ds], ds
        push    cs
        pop     ds                      ; DS = this file

        ; Every block carries its number in its last word but one.
        xor     cx, cx
        mov     ax, LOAD_SEG
.check:
        mov     es, ax
        cmp     [es:508], cx
        jne     .bad
        cmp     word [es:510], SIGNATURE
        jne     .bad
        add     ax, PARAS_PER_BLOCK
        inc     cx
        cmp     cx, BLOCKS
        jb      .check

        mov     si, msg_ok
        call    emit_text
        mov     al, [handed_bl]
        call    emit_byte
        mov     si, msg_ss
        call    emit_text
        mov     ax, [handed_ss]
        call    emit_word
        mov     si, msg_bp
        call    emit_text
        mov     ax, [handed_bp]
        call    emit_word
        mov     si, msg_ds
        call    emit_text
        mov     ax, [handed_ds]
        call    emit_word
        mov     si, msg_end
        call    emit_text
        mov     al, EXIT_OK
        jmp     finish
.bad:
        mov     si, msg_bad
        call    emit_text
        mov     ax, cx
        call    emit_word
        mov     si, msg_end
        call    emit_text
        mov     al, EXIT_BAD
finish:
        out     DEBUG_EXIT, al
.halt:
        hlt
        jmp     .halt

; emit_char: AL to COM1 and to the screen. Clobbers: DX, BX
emit_char:
        push    ax
        mov     dx, COM1 + 5
.wait:
        in      al, dx                  ; line status: transmitter empty?
        test    al, 0x20
        jz      .wait
        pop     ax
        mov     dx, COM1
        out     dx, al
        mov     ah, 0x0E
        xor     bx, bx
        int     0x10
        ret

; emit_text: the zero-terminated text at DS:SI. Clobbers: AX, BX, DX, SI
emit_text:
        lodsb
        test    al, al
        jz      .done
        call    emit_char
        jmp     emit_text
.done:
        ret

; emit_word / emit_byte: AX / AL in hexadecimal. Clobbers: AX, BX, CX, DX
emit_word:
        push    ax
        mov     al, ah
        call    emit_byte
        pop     ax
emit_byte:
        push    ax
        shr     al, 4
        call    emit_digit
        pop     ax
emit_digit:
        and     al, 0x0F
        add     al, '0'
        cmp     al, '9'
        jbe     .print
        add     al, 'A' - '9' - 1
.print:
        jmp     emit_char

msg_ok:  db      "KERNEL OK BL=", 0
msg_ss:  db      " SS=", 0
msg_bp:  db      " BP=", 0
msg_ds:  db      " DS=", 0
msg_end: db      13, 10, 0
msg_bad: db      "KERNEL BAD BLOCK ", 0
handed_bl: db    0
handed_ss: dw    0
handed_bp: dw    0
handed_ds: dw    0

%if ($-$$) > 508
%error the kernel's code must fit in its first block
%endif

; The blocks: filler, then the block's number and the signature.
%assign block 0
%rep BLOCKS
        times (block + 1) * 512 - 4 - ($-$$) db (block & 0xFF)
        dw      block, SIGNATURE
%assign block block + 1
%endrep
